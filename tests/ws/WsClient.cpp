#include "WsClient.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

namespace {

constexpr size_t kMaxFrame = 16 * 1024 * 1024;

int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

WsClient::WsClient(uint16_t port, int receiveBuffer) {
    mFd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (mFd < 0) return;
    if (receiveBuffer > 0) {
        setsockopt(mFd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof(receiveBuffer));
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(mFd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) return;
    const std::string upgrade =
        "GET /ws HTTP/1.1\r\nHost: localhost\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
        "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n\r\n";
    if (send(mFd, upgrade.data(), upgrade.size(), MSG_NOSIGNAL) !=
        static_cast<ssize_t>(upgrade.size())) {
        return;
    }
    size_t end;
    while ((end = mPending.find("\r\n\r\n")) == std::string::npos) {
        if (!Fill(5000)) return;
    }
    mOpen = mPending.compare(0, 12, "HTTP/1.1 101") == 0;
    mPending.erase(0, end + 4);
}

WsClient::~WsClient() {
    if (mFd >= 0) close(mFd);
}

bool WsClient::Fill(int timeoutMs) {
    pollfd p{mFd, POLLIN, 0};
    if (poll(&p, 1, timeoutMs) <= 0) return false;
    char buffer[65536];
    const ssize_t n = recv(mFd, buffer, sizeof(buffer), 0);
    if (n <= 0) return false;
    mPending.append(buffer, static_cast<size_t>(n));
    return true;
}

bool WsClient::SendFrame(uint8_t opcode, const std::string& payload) {
    std::string frame(1, static_cast<char>(0x80 | opcode));
    const size_t size = payload.size();
    if (size < 126) {
        frame.push_back(static_cast<char>(0x80 | size));
    } else if (size <= 0xFFFF) {
        frame.push_back(static_cast<char>(0x80 | 126));
        frame.push_back(static_cast<char>(size >> 8));
        frame.push_back(static_cast<char>(size & 0xFF));
    } else {
        return false;
    }
    const unsigned char mask[4] = {0x3a, 0x5c, 0x91, 0x07};
    frame.append(reinterpret_cast<const char*>(mask), 4);
    for (size_t i = 0; i < size; ++i) frame.push_back(static_cast<char>(payload[i] ^ mask[i % 4]));
    return send(mFd, frame.data(), frame.size(), MSG_NOSIGNAL) ==
           static_cast<ssize_t>(frame.size());
}

bool WsClient::SendText(const std::string& text) {
    return mOpen && SendFrame(0x1, text);
}

bool WsClient::NextText(std::string& text, int timeoutMs) {
    const int64_t deadline = NowMs() + timeoutMs;
    while (mOpen) {
        if (mPending.size() >= 2) {
            const uint8_t opcode = static_cast<uint8_t>(mPending[0]) & 0x0F;
            size_t length = static_cast<uint8_t>(mPending[1]) & 0x7F;
            size_t offset = 2;
            if (length == 126 && mPending.size() >= 4) {
                length = static_cast<size_t>(static_cast<uint8_t>(mPending[2])) << 8 |
                         static_cast<uint8_t>(mPending[3]);
                offset = 4;
            } else if (length == 127 && mPending.size() >= 10) {
                length = 0;
                for (int i = 2; i < 10; ++i)
                    length = length << 8 | static_cast<uint8_t>(mPending[i]);
                offset = 10;
            }
            if (length > kMaxFrame) return false;
            if ((length < 126 || offset > 2) && mPending.size() >= offset + length) {
                const std::string payload = mPending.substr(offset, length);
                mPending.erase(0, offset + length);
                if (opcode == 0x1) {
                    text = payload;
                    return true;
                }
                if (opcode == 0x9) SendFrame(0xA, payload);
                if (opcode == 0x8) return false;
                continue;
            }
        }
        const int64_t left = deadline - NowMs();
        if (left <= 0 || !Fill(static_cast<int>(left))) return false;
    }
    return false;
}

bool WsClient::DrainUntilClosed(int timeoutMs) {
    const int64_t deadline = NowMs() + timeoutMs;
    char buffer[65536];
    while (NowMs() < deadline) {
        pollfd p{mFd, POLLIN, 0};
        if (poll(&p, 1, 100) <= 0) continue;
        const ssize_t n = recv(mFd, buffer, sizeof(buffer), 0);
        if (n <= 0) return true;
    }
    return false;
}
