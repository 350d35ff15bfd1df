// The kiosk-sim control socket from inside a program kiosk-sim runs: operator
// actions, and the frames the boards received, collected as they arrive.
#pragma once

#include <json/json.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct SeenRequest {
    std::string device;  // "board0" ...
    uint16_t command = 0;
    std::vector<uint8_t> data;
};

class SimControl {
  public:
    // Connects to $KIOSK_SIM_CONTROL; Connected() tells whether it worked.
    SimControl();
    ~SimControl();
    SimControl(const SimControl&) = delete;
    SimControl& operator=(const SimControl&) = delete;

    bool Connected() const { return mFd >= 0; }
    // Sends one action and waits (bounded) for its result; null on time-out.
    Json::Value Act(Json::Value action);
    // The board's mechanism status ("card", "module_position" ...).
    Json::Value Mechanism(int board = 0);
    // Requests the boards received since the last ClearRequests.
    std::vector<SeenRequest> Requests();
    std::vector<uint16_t> Commands();
    void ClearRequests();

  private:
    void Barrier();
    void ReadLoop();
    void Handle(const std::string& line);

    int mFd = -1;
    std::atomic<bool> mStop{false};
    std::thread mReader;
    std::mutex mMutex;
    std::vector<SeenRequest> mRequests;
    std::vector<Json::Value> mResults;
    int mNextId = 1;
};
