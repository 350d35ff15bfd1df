#include "ControlClient.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace ecpsim {

ControlClient::ControlClient() {
    const char* path = std::getenv("KIOSK_SIM_CONTROL");
    if (!path) return;
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (std::strlen(path) >= sizeof addr.sun_path) return;
    std::strcpy(addr.sun_path, path);
    fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0) return;
    if (::connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

ControlClient::~ControlClient() {
    if (fd_ >= 0) ::close(fd_);
}

bool ControlClient::readLine(std::string* line, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const auto nl = buffer_.find('\n');
        if (nl != std::string::npos) {
            *line = buffer_.substr(0, nl);
            buffer_.erase(0, nl + 1);
            return true;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0) return false;
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left)) <= 0) return false;
        char chunk[4096];
        const ssize_t n = ::read(fd_, chunk, sizeof chunk);
        if (n <= 0) return false;
        buffer_.append(chunk, static_cast<size_t>(n));
    }
}

Json::Value ControlClient::request(Json::Value req) {
    if (fd_ < 0) return Json::Value();
    const int id = nextId_++;
    req["id"] = id;
    Json::StreamWriterBuilder w;
    w["indentation"] = "";
    const std::string text = Json::writeString(w, req) + "\n";
    if (::write(fd_, text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
        return Json::Value();
    }
    std::string line;
    while (readLine(&line, 5000)) {
        Json::Value ev;
        std::istringstream in(line);
        if (!Json::parseFromStream(Json::CharReaderBuilder(), in, &ev, nullptr)) continue;
        if (ev["event"].asString() == "result" && ev["id"].asInt() == id) return ev;
    }
    return Json::Value();
}

Json::Value ControlClient::printer(int index) {
    Json::Value req;
    req["action"] = "printer_state";
    req["printer"] = index;
    return request(req)["printer"];
}

bool ControlClient::fault(int index, const std::string& kind, int count, int cmd,
                          Json::Value extra) {
    extra["kind"] = kind;
    extra["count"] = count;
    if (cmd >= 0) extra["cmd"] = cmd;
    return action("printer_fault", index, extra);
}

bool ControlClient::action(const std::string& name, int index, Json::Value members) {
    members["action"] = name;
    members["printer"] = index;
    return request(members)["ok"].asBool();
}

}  // namespace ecpsim
