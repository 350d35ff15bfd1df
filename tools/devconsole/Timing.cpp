#include "Timing.h"

#include <chrono>
#include <thread>

namespace devconsole {

int64_t SystemTiming::nowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void SystemTiming::sleepMs(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace devconsole
