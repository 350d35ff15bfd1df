#pragma once
// What the simulated devices saw and did: every frame, every physical change and
// every injected fault. Lines go to the --log file; the same records go as JSON
// events to whoever listens (the --control socket).
#include <json/json.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "core/Hex.h"

namespace ksim {

enum class Direction { HostToDevice, DeviceToHost };

class Journal {
  public:
    using Listener = std::function<void(const std::string& jsonLine)>;

    Journal() = default;
    ~Journal();
    Journal(const Journal&) = delete;
    Journal& operator=(const Journal&) = delete;

    // "-" logs to standard error. Returns false with a reason when the file cannot be opened.
    bool openLog(const std::string& path, std::string* error);
    void setListener(Listener listener);

    // `device` names the simulated device ("board0", "printer0"); `layer` tells what the
    // bytes are ("frame", "report", "serial").
    void frame(const std::string& device, Direction dir, const std::string& layer,
               const Bytes& bytes, const std::string& note = {});
    // A change of the simulated physical world (sensor, cable, power, card).
    void change(const std::string& device, const std::string& what);
    // Anything else worth a line: a rejected frame, a fault that fired.
    void note(const std::string& device, const std::string& kind, const std::string& text);
    // An event with members of its own; "event" and "device" are filled in.
    void event(const std::string& device, const std::string& kind, Json::Value members);

  private:
    void emit(const std::string& logLine, const Json::Value& ev);

    std::mutex mutex_;
    FILE* log_ = nullptr;
    bool ownLog_ = false;
    Listener listener_;
};

// One-line compact JSON text.
std::string compactJson(const Json::Value& v);

}  // namespace ksim
