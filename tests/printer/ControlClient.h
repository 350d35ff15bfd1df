#pragma once
// A client of kiosk-sim's control socket ($KIOSK_SIM_CONTROL): one JSON request per
// line, answered by a "result" event (other events in between are skipped).
#include <json/json.h>

#include <string>

namespace ecpsim {

class ControlClient {
  public:
    ControlClient();
    ~ControlClient();
    ControlClient(const ControlClient&) = delete;
    ControlClient& operator=(const ControlClient&) = delete;

    bool connected() const { return fd_ >= 0; }
    // The result event of `request`; null when the socket fails or 5 s pass.
    Json::Value request(Json::Value request);
    // The simulated printer's state ("printer_state").
    Json::Value printer(int index);
    // Arms a printer fault: {"kind":kind,"count":count,"cmd":cmd} plus `extra` members.
    bool fault(int index, const std::string& kind, int count, int cmd,
               Json::Value extra = Json::Value(Json::objectValue));
    bool action(const std::string& name, int index,
                Json::Value members = Json::Value(Json::objectValue));

  private:
    bool readLine(std::string* line, int timeoutMs);

    int fd_ = -1;
    int nextId_ = 1;
    std::string buffer_;
};

}  // namespace ecpsim
