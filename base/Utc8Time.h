// Wall-clock times in the fixed zone UTC+8, which every log and trace of the kiosk uses
// whatever the machine's own zone.
#pragma once

#include <cstdint>
#include <ctime>

namespace kqbase {

struct Utc8Stamp {
    int year, month, day, hour, minute, second, millis;
};

Utc8Stamp utc8Stamp(std::time_t utcSeconds, int millis);
Utc8Stamp utc8StampMs(std::int64_t epochMs);
// Milliseconds since the epoch from the system clock.
std::int64_t wallClockMs();

}  // namespace kqbase
