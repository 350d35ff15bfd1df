// How the models and the USB connection reach the bus and the boards. The
// process uses the real USB bus and raw device functions; tests put their own
// bus and boards in place through boardAccess().
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

class Device;

struct UsbId {
    uint16_t vid = 0;
    uint16_t pid = 0;
};

struct BoardAccess {
    // Ids of the attached devices whose descriptor could be read, in bus order;
    // false when the bus cannot be listed.
    std::function<bool(std::vector<UsbId>& ids)> listUsb;
    // Makes (vid, pid) the ids that openBoard looks for; the number of such devices.
    std::function<int(uint16_t vid, uint16_t pid)> selectBoard;
    // Opens the first board with the selected ids: 0 with *port set, else non-zero.
    std::function<int(Device** port)> openBoard;
    std::function<void(int ms)> sleepMs;
};

BoardAccess& boardAccess();
// The real bus, raw device functions and sleep.
BoardAccess defaultBoardAccess();
