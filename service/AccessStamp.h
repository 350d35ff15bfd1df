// When something was last used, readable from another thread. Every request
// stamps the server, from many workers at once, so the stamp is lock-free.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>

class AccessStamp {
  public:
    using TimePoint = std::chrono::steady_clock::time_point;

    void Touch() {
        mTicks.store(std::chrono::steady_clock::now().time_since_epoch().count(),
                     std::memory_order_relaxed);
        mAccessed.store(true, std::memory_order_release);
    }
    void Clear() {
        mAccessed.store(false, std::memory_order_relaxed);
        mTicks.store(0, std::memory_order_relaxed);
    }
    TimePoint Get(bool* accessed) const {
        const bool wasAccessed = mAccessed.load(std::memory_order_acquire);
        if (accessed != nullptr) *accessed = wasAccessed;
        return TimePoint(TimePoint::duration(mTicks.load(std::memory_order_relaxed)));
    }

  private:
    std::atomic<int64_t> mTicks{0};
    std::atomic<bool> mAccessed{false};
};
