// What the console remembers between key presses, for the whole run.
#pragma once

#include <string>
#include <vector>

#include "ConsoleTables.h"

namespace devconsole {

// The device a request is meant for.
struct DeviceTarget {
    int connIndex = 0;
    int modelIndex = kNoModel;
    std::string devId;  // empty: all devices
};

namespace menu {
constexpr int kStart = 0;
constexpr int kSerial = 1;
constexpr int kUsb = 2;
constexpr int kPrinter = 3;
constexpr int kDevices = 4;
constexpr int kActions = 5;
constexpr int kTargetPage1 = 6;
constexpr int kTargetPage2 = 7;
constexpr int kStartPage1 = 8;
constexpr int kStartPage2 = 9;
}  // namespace menu

struct ConsoleState {
    int menu = menu::kStart;
    int connIndex = 0;
    int modelIndex = kNoModel;
    std::string devId;
    int targetStation = 0;
    std::vector<std::string> devices;  // "DevID" texts of the last device list
    std::vector<int> stations;         // station ids of the last station page
    // The station cycle's side value and finishing station, kept across cycles.
    int acceptSide = 0;
    int output = 7;

    DeviceTarget target() const { return {connIndex, modelIndex, devId}; }
};

}  // namespace devconsole
