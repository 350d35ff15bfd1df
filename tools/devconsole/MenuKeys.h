// What a key does in each menu. A handler answers 0 to go on, or kStop when
// the console ends: key 0 where it means exit, or a number beyond a list.
#pragma once

#include <ostream>

#include "ConsoleState.h"
#include "CycleRuns.h"
#include "DeviceRequests.h"

namespace devconsole {

class MenuKeys {
  public:
    static constexpr int kStop = 1;

    MenuKeys(ConsoleState& state, DeviceRequests& requests, CycleRuns& runs, std::ostream& out)
        : mState(state), mRequests(requests), mRuns(runs), mOut(out) {}

    int handle(int key);

  private:
    int start(int key);
    int serial(int key);
    int usb(int key);
    int printer(int key);
    int devices(int key);
    int actions(int key);
    int targetPage(int key, bool secondPage);
    int startPage(int key, bool secondPage);

    // Opens with model index chosen; on success the model index becomes
    // shownIndex and the device list follows.
    int open(int chosen, int shownIndex);
    // The station shown under number key, or false when it is not shown.
    bool station(int key, int& id) const;
    void moveTo(const Json::Value& conditions);
    int exit();
    int unknown();

    ConsoleState& mState;
    DeviceRequests& mRequests;
    CycleRuns& mRuns;
    std::ostream& mOut;
};

}  // namespace devconsole
