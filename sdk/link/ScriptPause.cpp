#include "link/ScriptPause.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace devlink {

namespace {
std::atomic<ScriptPauseFn> gPause{nullptr};
}  // namespace

void scriptPause(int ms) {
    if (const ScriptPauseFn pause = gPause.load()) {
        pause(ms);
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void setScriptPause(ScriptPauseFn pause) {
    gPause.store(pause);
}

}  // namespace devlink
