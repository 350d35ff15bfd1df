#include "Utc8Time.h"

#include <chrono>

namespace kqbase {

Utc8Stamp utc8Stamp(std::time_t utcSeconds, int millis) {
    const std::time_t shifted = utcSeconds + 8 * 3600;
    std::tm tm{};
    gmtime_r(&shifted, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, millis};
}

Utc8Stamp utc8StampMs(std::int64_t epochMs) {
    return utc8Stamp(static_cast<std::time_t>(epochMs / 1000), static_cast<int>(epochMs % 1000));
}

std::int64_t wallClockMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

}  // namespace kqbase
