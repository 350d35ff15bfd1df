// Elapsed time and waits, behind an interface so that tests run on a clock
// of their own.
#pragma once

#include <cstdint>

namespace devconsole {

class Timing {
  public:
    virtual ~Timing() = default;
    // Milliseconds of a monotonic clock.
    virtual int64_t nowMs() = 0;
    virtual void sleepMs(int ms) = 0;
};

// The system's monotonic clock and real waits.
class SystemTiming : public Timing {
  public:
    int64_t nowMs() override;
    void sleepMs(int ms) override;
};

}  // namespace devconsole
