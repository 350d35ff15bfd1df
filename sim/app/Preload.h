#pragma once
// kiosk-sim runs itself under umockdev's preload library (its own hot-plug events go
// through it), and so does the command it starts.
#include <string>

namespace ksim::app {

// Re-executes this program once with the preload in LD_PRELOAD; returns when the
// program already runs under it, or false with a reason when the exec failed.
bool ensurePreloaded(char** argv, std::string* error);

// Adds verify_asan_link_order=0 to ASAN_OPTIONS: a sanitizer build refuses to start
// when another library is preloaded before its runtime.
void allowPreloadUnderAsan();

// Removes what only this program needs from the environment its child inherits.
void clearPreloadGuard();

}  // namespace ksim::app
