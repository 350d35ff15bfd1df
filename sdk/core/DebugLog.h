// Plain-text debug log under /var/log/kqrfid/, written only while that folder exists.
#pragma once

#include <ctime>
#include <string>

#include "base/Utc8Time.h"

void global_debug(const char* tag, const char* text, unsigned char* data, int length);

namespace kqlog {
// Wall-clock time broken down in the fixed zone UTC+8.
using LocalStamp = kqbase::Utc8Stamp;
LocalStamp utc8Stamp(std::time_t utcSeconds, int millis);
// Replaces the clock global_debug reads (seconds and milliseconds), for tests; null restores it.
using ClockFn = void (*)(std::time_t* seconds, int* millis);
void setDebugClock(ClockFn clock);
// Directory global_debug writes into (default "/var/log/kqrfid/"), for tests.
void setDebugDirectory(const std::string& dir);
// Closes the open debug log so the next line opens a new file, for tests.
void resetDebugLog();
}  // namespace kqlog
