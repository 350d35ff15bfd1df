// kiosk-sim's control socket seen from outside the simulator: one action per
// line, each answered by a result event with the action's id.
#pragma once

#include <json/json.h>

#include <string>

class SimSocket {
  public:
    // Connects to path, waiting (bounded) for the simulator to create it.
    explicit SimSocket(const std::string& path, int timeoutMs = 30000);
    ~SimSocket();
    SimSocket(const SimSocket&) = delete;
    SimSocket& operator=(const SimSocket&) = delete;

    bool connected() const { return mFd >= 0; }
    // The result event of action; null on a failure or after timeoutMs.
    Json::Value act(Json::Value action, int timeoutMs = 10000);
    // Where the board's card is: its station id, -1 for none, null on a failure.
    Json::Value card(int board = 0);

  private:
    int mFd = -1;
    int mNextId = 1;
    std::string mPending;
};
