#pragma once
// Everything a command-line option may use to create a simulated device or change a
// setting: the event loop, the journal, the USB bus, the control actions, and the
// boards created so far.
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/ControlActions.h"
#include "board/Board.h"
#include "core/EventLoop.h"
#include "core/Journal.h"
#include "serial/SerialBoard.h"
#include "usb/UsbBus.h"

namespace ksim::app {

// A board as the control socket sees it, whatever its transport.
struct BoardSlot {
    board::Board* board = nullptr;       // owned by its transport
    std::string transport;               // "usb" or "serial"
    std::function<std::string()> where;  // bus address or device file
    std::function<void(double replugMs)> unplug;
    std::function<void()> plug;
    std::function<bool()> plugged;
};

struct SimContext {
    SimContext(EventLoop& l, Journal& j, usb::UsbBus& u, ControlActions& a)
        : loop(l), journal(j), usb(u), actions(a) {}

    EventLoop& loop;
    Journal& journal;
    usb::UsbBus& usb;
    ControlActions& actions;

    double speed = 1.0;
    // Devices refuse what their hardware refuses (--strict, the default) or answer it
    // as before (--lenient).
    bool strict = true;
    std::string controlPath;
    // Values of setting options for device kinds that need them (e.g. a folder).
    std::map<std::string, std::string> settings;

    std::vector<BoardSlot> boards;
    std::vector<std::unique_ptr<serial::SerialBoard>> serialBoards;

    // Descriptions of devices other than boards, for "ready" and "status".
    std::vector<std::function<Json::Value()>> describers;
};

// Control actions that act on boards: reply, fault, clear_faults, unplug, plug, sensors.
void registerBoardActions(SimContext& ctx);
// The board a control request names in "board" (default 0); null with a reason.
BoardSlot* slotOf(SimContext& ctx, const Json::Value& req, std::string& error);
// Control actions of the simulator itself: status.
void registerSimActions(SimContext& ctx);
// Every simulated device with its state, boards first.
Json::Value describeDevices(SimContext& ctx);

}  // namespace ksim::app
