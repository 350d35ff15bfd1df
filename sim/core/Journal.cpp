#include "core/Journal.h"

#include <sys/time.h>

#include <cerrno>
#include <cstring>
#include <ctime>

namespace ksim {

std::string compactJson(const Json::Value& v) {
    Json::StreamWriterBuilder b;
    b["indentation"] = "";
    b["emitUTF8"] = true;
    return Json::writeString(b, v);
}

static std::string timestamp() {
    timeval tv{};
    gettimeofday(&tv, nullptr);
    tm local{};
    localtime_r(&tv.tv_sec, &local);
    char buf[40];
    size_t n = strftime(buf, sizeof buf, "%H:%M:%S", &local);
    snprintf(buf + n, sizeof buf - n, ".%03ld", static_cast<long>(tv.tv_usec / 1000));
    return buf;
}

Journal::~Journal() {
    if (ownLog_ && log_) fclose(log_);
}

bool Journal::openLog(const std::string& path, std::string* error) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (ownLog_ && log_) fclose(log_);
    log_ = nullptr;
    ownLog_ = false;
    if (path == "-") {
        log_ = stderr;
        ownLog_ = false;
        return true;
    }
    FILE* f = fopen(path.c_str(), "w");
    if (!f) {
        *error = path + ": " + strerror(errno);
        return false;
    }
    setvbuf(f, nullptr, _IOLBF, 0);
    log_ = f;
    ownLog_ = true;
    return true;
}

void Journal::setListener(Listener listener) {
    std::lock_guard<std::mutex> lock(mutex_);
    listener_ = std::move(listener);
}

void Journal::emit(const std::string& logLine, const Json::Value& ev) {
    std::string line = compactJson(ev);
    std::lock_guard<std::mutex> lock(mutex_);
    if (log_) fprintf(log_, "%s %s\n", timestamp().c_str(), logLine.c_str());
    if (listener_) listener_(line);
}

void Journal::frame(const std::string& device, Direction dir, const std::string& layer,
                    const Bytes& bytes, const std::string& note) {
    bool in = dir == Direction::HostToDevice;
    std::string text = device + (in ? " host->dev " : " dev->host ") + layer + " [" +
                       std::to_string(bytes.size()) + "] " + toHex(bytes);
    if (!note.empty()) text += "  (" + note + ")";
    Json::Value ev;
    ev["event"] = "frame";
    ev["device"] = device;
    ev["dir"] = in ? "in" : "out";
    ev["layer"] = layer;
    ev["hex"] = toHex(bytes);
    if (!note.empty()) ev["note"] = note;
    emit(text, ev);
}

void Journal::change(const std::string& device, const std::string& what) {
    Json::Value ev;
    ev["event"] = "change";
    ev["device"] = device;
    ev["what"] = what;
    emit(device + " change: " + what, ev);
}

void Journal::note(const std::string& device, const std::string& kind, const std::string& text) {
    Json::Value ev;
    ev["event"] = kind;
    ev["device"] = device;
    ev["text"] = text;
    emit(device + " " + kind + ": " + text, ev);
}

void Journal::event(const std::string& device, const std::string& kind, Json::Value members) {
    members["event"] = kind;
    if (!device.empty()) members["device"] = device;
    std::string text = (device.empty() ? std::string("sim") : device) + " " + kind;
    Json::Value rest = members;
    rest.removeMember("event");
    rest.removeMember("device");
    if (!rest.empty()) text += " " + compactJson(rest);
    emit(text, members);
}

}  // namespace ksim
