// The bench station cycle: the card from the front slot through direction
// recognition, reader, print preparation and printer to the QR code reader
// and out, alternately at the reject and the finished-card station.
#pragma once

#include <ostream>

#include "ConsoleState.h"
#include "DeviceRequests.h"
#include "Timing.h"

namespace devconsole {

class StationCycle {
  public:
    // acceptSide and output are the console's values, kept across cycles.
    StationCycle(DeviceRequests& requests, std::ostream& out, Timing& timing, int& acceptSide,
                 int& output)
        : mRequests(requests),
          mOut(out),
          mTiming(timing),
          mAcceptSide(acceptSide),
          mOutput(output) {}

    // 0, or the first non-zero result.
    int run(const DeviceTarget& target);

  private:
    int move(const DeviceTarget& target, int from, int to);

    DeviceRequests& mRequests;
    std::ostream& mOut;
    Timing& mTiming;
    int& mAcceptSide;
    int& mOutput;
};

}  // namespace devconsole
