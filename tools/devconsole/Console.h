// The bench console: shows the current menu, reads a key, hands it to the
// menu's handler, until a handler ends the run or the input ends.
#pragma once

#include <ostream>

#include "ConsoleState.h"
#include "CycleRuns.h"
#include "DeviceRequests.h"
#include "KeySource.h"
#include "LogSink.h"
#include "MenuKeys.h"
#include "MenuScreens.h"
#include "SdkChannel.h"
#include "Timing.h"

namespace devconsole {

class Console {
  public:
    Console(SdkChannel& sdk, KeySource& keys, std::ostream& out, Timing& timing, LogSink& log);

    // 1 when a handler ended the run, 0 at the end of input.
    int run();

    ConsoleState& state() { return mState; }

  private:
    KeySource& mKeys;
    std::ostream& mOut;
    ConsoleState mState;
    DeviceRequests mRequests;
    CycleRuns mRuns;
    MenuScreens mScreens;
    MenuKeys mMenuKeys;
};

}  // namespace devconsole
