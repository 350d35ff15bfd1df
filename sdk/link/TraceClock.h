// The wall clock the link trace reads, replaceable by tests.
#pragma once

#include <cstdint>

namespace devlink {

// Milliseconds since the epoch.
using TraceClockFn = int64_t (*)();
int64_t traceNowMs();
// Replaces the clock; null restores the system clock.
void setTraceClock(TraceClockFn clock);

}  // namespace devlink
