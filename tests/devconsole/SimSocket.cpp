#include "SimSocket.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

int leftMs(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

}  // namespace

SimSocket::SimSocket(const std::string& path, int timeoutMs) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof(address.sun_path)) return;
    std::memcpy(address.sun_path, path.c_str(), path.size());
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (leftMs(deadline) > 0) {
        const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0) {
            mFd = fd;
            return;
        }
        close(fd);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

SimSocket::~SimSocket() {
    if (mFd >= 0) close(mFd);
}

Json::Value SimSocket::act(Json::Value action, int timeoutMs) {
    if (mFd < 0) return Json::Value();
    const int id = mNextId++;
    action["id"] = id;
    Json::StreamWriterBuilder writer;
    writer["indentation"] = "";
    const std::string line = Json::writeString(writer, action) + "\n";
    if (write(mFd, line.data(), line.size()) != static_cast<ssize_t>(line.size())) {
        return Json::Value();
    }
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        // Frames and changes stream in between; only the result counts.
        for (size_t nl; (nl = mPending.find('\n')) != std::string::npos;) {
            Json::Value event;
            const bool parsed = Json::Reader().parse(mPending.substr(0, nl), event);
            mPending.erase(0, nl + 1);
            if (parsed && event["event"].asString() == "result" && event["id"].asInt() == id) {
                return event;
            }
        }
        const int left = leftMs(deadline);
        if (left == 0) return Json::Value();
        pollfd p{mFd, POLLIN, 0};
        if (poll(&p, 1, left) <= 0) continue;
        char buffer[65536];
        const ssize_t n = read(mFd, buffer, sizeof(buffer));
        if (n <= 0) return Json::Value();
        mPending.append(buffer, static_cast<size_t>(n));
    }
}

Json::Value SimSocket::card(int board) {
    Json::Value action;
    action["action"] = "mechanism";
    action["board"] = board;
    return act(action)["mechanism"]["card"];
}
