#include "TestHttp.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <strings.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

namespace {

sockaddr_in Loopback(uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

bool ContentLength(const std::string& head, size_t& length) {
    size_t pos = 0;
    while ((pos = head.find("\r\n", pos)) != std::string::npos) {
        pos += 2;
        if (strncasecmp(head.c_str() + pos, "Content-Length:", 15) == 0) {
            length = std::strtoul(head.c_str() + pos + 15, nullptr, 10);
            return true;
        }
    }
    return false;
}

}  // namespace

uint16_t FreePort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = Loopback(0);
    uint16_t port = 0;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0) {
        socklen_t size = sizeof(address);
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
        port = ntohs(address.sin_port);
    }
    close(fd);
    return port;
}

bool PortAnswers(uint16_t port) {
    TestConnection connection(port, 500);
    return connection.Connected();
}

TestConnection::TestConnection(uint16_t port, int timeoutMs) {
    mFd = socket(AF_INET, SOCK_STREAM, 0);
    if (mFd < 0) return;
    timeval timeout{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    setsockopt(mFd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof(timeout));
    setsockopt(mFd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof(timeout));
    int one = 1;
    setsockopt(mFd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof(one));
    sockaddr_in address = Loopback(port);
    if (connect(mFd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
        close(mFd);
        mFd = -1;
    }
}

TestConnection::~TestConnection() {
    if (mFd >= 0) close(mFd);
}

bool TestConnection::Send(const std::string& bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = send(mFd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

bool TestConnection::Fill() {
    char buffer[65536];
    const ssize_t n = recv(mFd, buffer, sizeof(buffer), 0);
    if (n <= 0) return false;
    mPending.append(buffer, static_cast<size_t>(n));
    return true;
}

bool TestConnection::Read(HttpReply& reply) {
    reply = HttpReply();
    size_t end;
    while ((end = mPending.find("\r\n\r\n")) == std::string::npos) {
        if (!Fill()) return false;
    }
    reply.head = mPending.substr(0, end);
    reply.status = reply.head.size() > 12 ? std::atoi(reply.head.c_str() + 9) : 0;
    size_t length = 0;
    const size_t bodyStart = end + 4;
    if (ContentLength(reply.head, length)) {
        while (mPending.size() < bodyStart + length) {
            if (!Fill()) return false;
        }
    } else {
        std::string rest;
        if (!ReadUntilClose(rest)) return false;
        length = mPending.size() - bodyStart;
    }
    reply.body = mPending.substr(bodyStart, length);
    reply.raw = mPending.substr(0, bodyStart + length);
    mPending.erase(0, bodyStart + length);
    return true;
}

bool TestConnection::ReadUntilClose(std::string& data) {
    char buffer[65536];
    for (;;) {
        const ssize_t n = recv(mFd, buffer, sizeof(buffer), 0);
        if (n == 0) break;
        if (n < 0) return false;
        mPending.append(buffer, static_cast<size_t>(n));
    }
    data = mPending;
    return true;
}

bool TestConnection::WaitFor(const std::string& text) {
    while (mPending.find(text) == std::string::npos) {
        if (!Fill()) return false;
    }
    return true;
}

bool TestConnection::ClosedByPeer(int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    char buffer[65536];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        pollfd entry{mFd, POLLIN, 0};
        if (left <= 0 || poll(&entry, 1, static_cast<int>(left)) <= 0) return false;
        const ssize_t n = recv(mFd, buffer, sizeof(buffer), 0);
        if (n == 0) return true;
        if (n < 0) return false;
        mPending.append(buffer, static_cast<size_t>(n));
    }
}

HttpReply Exchange(uint16_t port, const std::string& request) {
    HttpReply reply;
    TestConnection connection(port);
    if (connection.Connected() && connection.Send(request)) connection.Read(reply);
    return reply;
}

int RunProgram(const std::vector<std::string>& args, std::string& output, int timeoutMs) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return -1;
    const pid_t pid = fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        dup2(pipeFds[1], STDOUT_FILENO);
        close(pipeFds[0]);
        close(pipeFds[1]);
        std::vector<char*> argv;
        for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    close(pipeFds[1]);
    output.clear();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    bool killed = false;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0) {
            kill(pid, SIGKILL);
            killed = true;
            break;
        }
        pollfd entry{pipeFds[0], POLLIN, 0};
        if (poll(&entry, 1, static_cast<int>(left)) <= 0) continue;
        char buffer[4096];
        const ssize_t n = read(pipeFds[0], buffer, sizeof(buffer));
        if (n <= 0) break;
        output.append(buffer, static_cast<size_t>(n));
    }
    close(pipeFds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (killed || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

ScratchDir::ScratchDir() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern =
        std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/webtest-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (mkdtemp(buffer.data()) != nullptr) mPath = buffer.data();
}

ScratchDir::~ScratchDir() {
    if (mPath.empty()) return;
    std::error_code ignored;
    std::filesystem::remove_all(mPath, ignored);
}

void ScratchDir::Write(const std::string& relative, const std::string& content) const {
    const std::filesystem::path path = std::filesystem::path(mPath) / relative;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
}
