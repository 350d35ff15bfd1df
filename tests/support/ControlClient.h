// kiosk-sim's control socket: one JSON action per line, each answered by a
// "result" event with the action's id. A reader thread keeps the socket drained
// while the test drives the product, and collects the frames the boards received.
#pragma once

#include <json/json.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kqtest {

struct SeenRequest {
    std::string device;  // "board0" ...
    uint16_t command = 0;
    std::vector<uint8_t> data;
};

class ControlClient {
  public:
    // Connects to $KIOSK_SIM_CONTROL (from inside a program kiosk-sim runs).
    ControlClient();
    // Connects to path, waiting (bounded) for the simulator to create it.
    explicit ControlClient(const std::string& path, int connectWaitMs = 30000);
    ~ControlClient();
    ControlClient(const ControlClient&) = delete;
    ControlClient& operator=(const ControlClient&) = delete;

    bool connected() const { return mFd >= 0; }
    // The result event of `action`; null when the socket fails or timeoutMs pass.
    Json::Value request(Json::Value action, int timeoutMs = 10000);

    // The board's mechanism status ("card", "module_position" ...).
    Json::Value mechanism(int board = 0);
    // Where the board's card is: its station id, -1 for none, null on a failure.
    Json::Value card(int board = 0);

    // The simulated printer's state ("printer_state").
    Json::Value printer(int index);
    // Arms a printer fault: {"kind":kind,"count":count,"cmd":cmd} plus `extra`.
    bool fault(int index, const std::string& kind, int count, int cmd,
               Json::Value extra = Json::Value(Json::objectValue));
    bool action(const std::string& name, int index,
                Json::Value members = Json::Value(Json::objectValue));

    // Requests the boards received since the last clearRequests.
    std::vector<SeenRequest> requests();
    std::vector<uint16_t> commands();
    void clearRequests();

  private:
    void start(int fd);
    void barrier();
    void readLoop();
    void handle(const std::string& line);

    int mFd = -1;
    std::atomic<bool> mStop{false};
    std::thread mReader;
    std::mutex mMutex;
    std::condition_variable mArrived;
    std::vector<SeenRequest> mRequests;
    std::vector<Json::Value> mResults;
    bool mClosed = false;
    int mNextId = 1;
};

}  // namespace kqtest
