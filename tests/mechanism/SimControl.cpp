#include "SimControl.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace {

constexpr int kResultWaitMs = 5000;

std::vector<uint8_t> parseHex(const std::string& text) {
    std::vector<uint8_t> bytes;
    std::istringstream in(text);
    std::string pair;
    while (in >> pair)
        bytes.push_back(static_cast<uint8_t>(std::strtoul(pair.c_str(), nullptr, 16)));
    return bytes;
}

// A request frame: AA BB, length, then package, command and data with every
// 0xAA followed by a stuffed 0x00, and the check byte.
bool decodeRequest(const std::vector<uint8_t>& wire, SeenRequest& out) {
    if (wire.size() < 9) return false;
    std::vector<uint8_t> body;
    for (size_t i = 4; i + 1 < wire.size(); ++i) {
        body.push_back(wire[i]);
        if (wire[i] == 0xAA) ++i;
    }
    if (body.size() < 4) return false;
    out.command = static_cast<uint16_t>(body[2] | body[3] << 8);
    out.data.assign(body.begin() + 4, body.end());
    return true;
}

}  // namespace

SimControl::SimControl() {
    const char* path = std::getenv("KIOSK_SIM_CONTROL");
    if (path == nullptr) return;
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path, sizeof(address.sun_path) - 1);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
        close(fd);
        return;
    }
    mFd = fd;
    mReader = std::thread([this] { ReadLoop(); });
}

SimControl::~SimControl() {
    mStop = true;
    if (mReader.joinable()) mReader.join();
    if (mFd >= 0) close(mFd);
}

void SimControl::ReadLoop() {
    std::string pending;
    char buffer[65536];
    while (!mStop) {
        pollfd p{mFd, POLLIN, 0};
        if (poll(&p, 1, 50) <= 0) continue;
        const ssize_t n = read(mFd, buffer, sizeof(buffer));
        if (n <= 0) return;
        pending.append(buffer, static_cast<size_t>(n));
        for (size_t nl; (nl = pending.find('\n')) != std::string::npos;) {
            Handle(pending.substr(0, nl));
            pending.erase(0, nl + 1);
        }
    }
}

void SimControl::Handle(const std::string& line) {
    Json::Value event;
    if (!Json::Reader().parse(line, event) || !event.isObject()) return;
    std::lock_guard<std::mutex> lock(mMutex);
    const std::string kind = event["event"].asString();
    if (kind == "result") {
        mResults.push_back(event);
    } else if (kind == "frame" && event["dir"].asString() == "in" &&
               event["layer"].asString() == "frame") {
        SeenRequest seen;
        seen.device = event["device"].asString();
        if (decodeRequest(parseHex(event["hex"].asString()), seen)) mRequests.push_back(seen);
    }
}

Json::Value SimControl::Act(Json::Value action) {
    if (mFd < 0) return Json::Value();
    int id;
    {
        std::lock_guard<std::mutex> lock(mMutex);
        id = mNextId++;
    }
    action["id"] = id;
    Json::StreamWriterBuilder writer;
    writer["indentation"] = "";
    const std::string line = Json::writeString(writer, action) + "\n";
    if (write(mFd, line.data(), line.size()) != static_cast<ssize_t>(line.size())) {
        return Json::Value();
    }
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kResultWaitMs);
    while (std::chrono::steady_clock::now() < deadline) {
        {
            std::lock_guard<std::mutex> lock(mMutex);
            for (const Json::Value& result : mResults) {
                if (result["id"].asInt() == id) return result;
            }
        }
        usleep(5000);
    }
    return Json::Value();
}

Json::Value SimControl::Mechanism(int board) {
    Json::Value action;
    action["action"] = "mechanism";
    action["board"] = board;
    return Act(action)["mechanism"];
}

std::vector<SeenRequest> SimControl::Requests() {
    Barrier();
    std::lock_guard<std::mutex> lock(mMutex);
    return mRequests;
}

std::vector<uint16_t> SimControl::Commands() {
    std::vector<uint16_t> codes;
    for (const SeenRequest& r : Requests()) codes.push_back(r.command);
    return codes;
}

void SimControl::Barrier() {
    // A board's frame event is sent before its reply, and the socket keeps
    // order: once an action's result is here, every earlier frame is too.
    Json::Value action;
    action["action"] = "status";
    Act(action);
}

void SimControl::ClearRequests() {
    Barrier();
    std::lock_guard<std::mutex> lock(mMutex);
    mRequests.clear();
}
