// A card-making printer of the high-speed machine as the console imagines it:
// busy for a fixed making time after a card was pushed in. The machine itself
// only reports where cards are.
#pragma once

#include <cstdint>
#include <vector>

#include "LogSink.h"
#include "Timing.h"

namespace devconsole {

class MockPrinter {
  public:
    static constexpr int kDefaultIntervalMs = 30000;

    // Idle, start time now.
    MockPrinter(Timing& timing, LogSink& log, int intervalMs = kDefaultIntervalMs);

    void setInterval(int intervalMs) { mIntervalMs = intervalMs; }
    // A card was pushed in: busy from now on.
    void pushCard();
    // 1 while the card is being made, 0 once idle; a busy printer whose making
    // time is over becomes idle here.
    int checkState();
    // Milliseconds since the card was pushed in; 0 when idle.
    double elapsedMs();

    bool busy() const { return mBusy != 0; }

  private:
    Timing& mTiming;
    LogSink& mLog;
    int mBusy = 0;
    int64_t mStartMs;
    int mIntervalMs;
};

// The printers of one run, indexed by their station id 0 to 3; the thermal
// printer (1) makes a card in 15 s, the others in 30 s.
std::vector<MockPrinter> makeRunPrinters(Timing& timing, LogSink& log);

}  // namespace devconsole
