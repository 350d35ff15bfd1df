// Keys 2 and 3 of the action menu: a series of up to 1000 cycles, or one.
// A cycle is the station cycle, or the printer batch on the high-speed machine.
#pragma once

#include <ostream>
#include <vector>

#include "ConsoleState.h"
#include "DeviceRequests.h"
#include "LogSink.h"
#include "MockPrinter.h"
#include "Timing.h"

namespace devconsole {

class CycleRuns {
  public:
    static constexpr int kSeriesLength = 1000;

    CycleRuns(ConsoleState& state, DeviceRequests& requests, std::ostream& out, Timing& timing,
              LogSink& log)
        : mState(state), mRequests(requests), mOut(out), mTiming(timing), mLog(log) {}

    // Cycles until the first failure or kSeriesLength successes.
    void repeated();
    void once();

  private:
    int cycle(std::vector<MockPrinter>& printers);
    void tally(int n, int succeeded, int failed);

    ConsoleState& mState;
    DeviceRequests& mRequests;
    std::ostream& mOut;
    Timing& mTiming;
    LogSink& mLog;
};

}  // namespace devconsole
