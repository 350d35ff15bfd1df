// The screen of each menu: frame, title, the menu's lines and the prompt.
// The device list and the station pages ask the SDK for their entries.
#pragma once

#include <ostream>

#include "ConsoleState.h"
#include "DeviceRequests.h"

namespace devconsole {

class MenuScreens {
  public:
    MenuScreens(ConsoleState& state, DeviceRequests& requests, std::ostream& out)
        : mState(state), mRequests(requests), mOut(out) {}

    // Prints the screen of the current menu. A failed device listing ends the
    // screen after its printed result, without the closing line and prompt.
    void show();

  private:
    void title();
    bool deviceList();
    void actions();
    // Station page 1 or 2 of the target ("尝试到达工位") or start kind.
    void stations(bool secondPage, bool startKind);

    ConsoleState& mState;
    DeviceRequests& mRequests;
    std::ostream& mOut;
};

}  // namespace devconsole
