#include "app/ControlServer.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

namespace ksim::app {

namespace {
constexpr size_t kLongestLine = 1 << 20;
}

namespace {

// Relative paths are taken from the current folder, so that a child that changes
// folder still finds the socket through KIOSK_SIM_CONTROL.
std::string absolute(const std::string& path) {
    if (path.empty() || path[0] == '/') return path;
    char cwd[PATH_MAX];
    if (!getcwd(cwd, sizeof cwd)) return path;
    return std::string(cwd) + "/" + path;
}

// A socket file nobody listens on is left from an earlier run and may go; a live one
// or any other file stays.
bool clearStale(const std::string& path, const sockaddr_un& addr, std::string* error) {
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0) return true;
    if (!S_ISSOCK(st.st_mode)) {
        *error = path + " exists and is not a socket";
        return false;
    }
    int probe = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    bool live =
        probe >= 0 && connect(probe, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0;
    if (probe >= 0) close(probe);
    if (live) {
        *error = "another program listens on " + path;
        return false;
    }
    unlink(path.c_str());
    return true;
}

}  // namespace

std::unique_ptr<ControlServer> ControlServer::listen(const std::string& requested, EventLoop& loop,
                                                     const ControlActions& actions,
                                                     std::string* error) {
    std::string path = absolute(requested);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof addr.sun_path) {
        *error = "control socket path must be 1 to " + std::to_string(sizeof addr.sun_path - 1) +
                 " characters";
        return nullptr;
    }
    memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        *error = std::string("socket: ") + strerror(errno);
        return nullptr;
    }
    if (!clearStale(path, addr, error)) {
        close(fd);
        return nullptr;
    }
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd, 8) != 0) {
        *error = path + ": " + strerror(errno);
        close(fd);
        return nullptr;
    }
    std::unique_ptr<ControlServer> server(new ControlServer(path, fd, loop, actions));
    ControlServer* self = server.get();
    loop.watch(fd, [self] { self->onAccept(); });
    return server;
}

ControlServer::ControlServer(std::string path, int fd, EventLoop& loop,
                             const ControlActions& actions)
    : path_(std::move(path)), listenFd_(fd), loop_(loop), actions_(actions) {}

ControlServer::~ControlServer() {
    loop_.unwatch(listenFd_);
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto& c : clients_) {
        loop_.unwatch(c.first);
        close(c.first);
    }
    clients_.clear();
    close(listenFd_);
    unlink(path_.c_str());
}

void ControlServer::onAccept() {
    for (;;) {
        int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) return;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            clients_[fd];
        }
        loop_.watch(fd, [this, fd] { onClientReadable(fd); });
    }
}

void ControlServer::onClientReadable(int fd) {
    char buf[4096];
    ssize_t n = recv(fd, buf, sizeof buf, 0);
    if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) {
        drop(fd);
        return;
    }
    if (n < 0) return;
    std::string pending;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        auto it = clients_.find(fd);
        if (it == clients_.end()) return;
        it->second.append(buf, static_cast<size_t>(n));
        pending.swap(it->second);
    }
    size_t start = 0;
    for (size_t nl; (nl = pending.find('\n', start)) != std::string::npos; start = nl + 1) {
        std::string line = pending.substr(start, nl - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.find_first_not_of(" \t") == std::string::npos) continue;
        std::string result = actions_.run(line);
        std::lock_guard<std::mutex> lock(mutex_);
        if (clients_.count(fd)) sendTo(fd, result);
    }
    pending.erase(0, start);
    if (pending.size() > kLongestLine) {
        drop(fd);
        return;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = clients_.find(fd);
    if (it != clients_.end()) it->second = std::move(pending);
}

void ControlServer::sendTo(int fd, const std::string& line) {
    std::string out = line + "\n";
    ssize_t n = send(fd, out.data(), out.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
    // A full socket loses the whole line; half a line would corrupt the stream, so a
    // partly sent line ends the connection (the loop then sees the end and drops it).
    if (n > 0 && static_cast<size_t>(n) < out.size()) shutdown(fd, SHUT_RDWR);
}

void ControlServer::broadcast(const std::string& line) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto& c : clients_) sendTo(c.first, line);  // mutex_ held, as sendTo needs
}

void ControlServer::drop(int fd) {
    loop_.unwatch(fd);
    std::lock_guard<std::mutex> lock(mutex_);
    if (clients_.erase(fd)) close(fd);
}

}  // namespace ksim::app
