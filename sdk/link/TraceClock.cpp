#include "link/TraceClock.h"

#include <chrono>

namespace devlink {

namespace {
TraceClockFn gClock = nullptr;
}

int64_t traceNowMs() {
    if (gClock != nullptr) return gClock();
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

void setTraceClock(TraceClockFn clock) {
    gClock = clock;
}

}  // namespace devlink
