#include "ControlClient.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace kqtest {

namespace {

using Clock = std::chrono::steady_clock;

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

int connectTo(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof(address.sun_path)) return -1;
    std::memcpy(address.sun_path, path.c_str(), path.size());
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

ControlClient::ControlClient() {
    const char* path = std::getenv("KIOSK_SIM_CONTROL");
    if (path != nullptr) start(connectTo(path));
}

ControlClient::ControlClient(const std::string& path, int connectWaitMs) {
    // The simulator creates its socket after it started: poll for it, bounded.
    const auto deadline = Clock::now() + std::chrono::milliseconds(connectWaitMs);
    int fd = connectTo(path);
    while (fd < 0 && Clock::now() < deadline) {
        usleep(20000);
        fd = connectTo(path);
    }
    start(fd);
}

void ControlClient::start(int fd) {
    if (fd < 0) return;
    mFd = fd;
    mReader = std::thread([this] { readLoop(); });
}

ControlClient::~ControlClient() {
    mStop = true;
    if (mReader.joinable()) mReader.join();
    if (mFd >= 0) close(mFd);
}

void ControlClient::readLoop() {
    std::string pending;
    std::vector<char> buffer(65536);
    while (!mStop) {
        pollfd p{mFd, POLLIN, 0};
        if (poll(&p, 1, 50) <= 0) continue;
        const ssize_t n = read(mFd, buffer.data(), buffer.size());
        if (n <= 0) break;
        pending.append(buffer.data(), static_cast<size_t>(n));
        for (size_t nl; (nl = pending.find('\n')) != std::string::npos;) {
            handle(pending.substr(0, nl));
            pending.erase(0, nl + 1);
        }
    }
    std::lock_guard<std::mutex> lock(mMutex);
    mClosed = true;
    mArrived.notify_all();
}

void ControlClient::handle(const std::string& line) {
    Json::Value event;
    std::istringstream in(line);
    if (!Json::parseFromStream(Json::CharReaderBuilder(), in, &event, nullptr) ||
        !event.isObject()) {
        return;
    }
    std::lock_guard<std::mutex> lock(mMutex);
    const std::string kind = event["event"].asString();
    if (kind == "result") {
        mResults.push_back(event);
        mArrived.notify_all();
    } else if (kind == "frame" && event["dir"].asString() == "in" &&
               event["layer"].asString() == "frame") {
        SeenRequest seen;
        seen.device = event["device"].asString();
        if (decodeRequest(parseHex(event["hex"].asString()), seen)) mRequests.push_back(seen);
    }
}

Json::Value ControlClient::request(Json::Value action, int timeoutMs) {
    if (mFd < 0) return Json::Value();
    std::unique_lock<std::mutex> lock(mMutex);
    const int id = mNextId++;
    lock.unlock();
    action["id"] = id;
    Json::StreamWriterBuilder writer;
    writer["indentation"] = "";
    const std::string line = Json::writeString(writer, action) + "\n";
    if (write(mFd, line.data(), line.size()) != static_cast<ssize_t>(line.size())) {
        return Json::Value();
    }
    lock.lock();
    Json::Value found;
    mArrived.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
        for (auto it = mResults.begin(); it != mResults.end(); ++it) {
            if ((*it)["id"].asInt() == id) {
                found = *it;
                mResults.erase(it);
                return true;
            }
        }
        return mClosed;
    });
    return found;
}

Json::Value ControlClient::mechanism(int board) {
    Json::Value action;
    action["action"] = "mechanism";
    action["board"] = board;
    return request(action)["mechanism"];
}

Json::Value ControlClient::card(int board) {
    return mechanism(board)["card"];
}

Json::Value ControlClient::printer(int index) {
    Json::Value action;
    action["action"] = "printer_state";
    action["printer"] = index;
    return request(action)["printer"];
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

std::vector<SeenRequest> ControlClient::requests() {
    barrier();
    std::lock_guard<std::mutex> lock(mMutex);
    return mRequests;
}

std::vector<uint16_t> ControlClient::commands() {
    std::vector<uint16_t> codes;
    for (const SeenRequest& r : requests()) codes.push_back(r.command);
    return codes;
}

void ControlClient::barrier() {
    // A board's frame event is sent before its reply, and the socket keeps
    // order: once an action's result is here, every earlier frame is too.
    Json::Value action;
    action["action"] = "status";
    request(action);
}

void ControlClient::clearRequests() {
    barrier();
    std::lock_guard<std::mutex> lock(mMutex);
    mRequests.clear();
}

}  // namespace kqtest
