// When something was last used, readable from another thread.
#pragma once

#include <chrono>
#include <mutex>

class AccessStamp {
  public:
    using TimePoint = std::chrono::steady_clock::time_point;

    void Touch() {
        std::lock_guard<std::mutex> guard(mMutex);
        mTime = std::chrono::steady_clock::now();
        mAccessed = true;
    }
    void Clear() {
        std::lock_guard<std::mutex> guard(mMutex);
        mTime = TimePoint();
        mAccessed = false;
    }
    TimePoint Get(bool* accessed) {
        std::lock_guard<std::mutex> guard(mMutex);
        if (accessed != nullptr) *accessed = mAccessed;
        return mTime;
    }

  private:
    std::mutex mMutex;
    TimePoint mTime;
    bool mAccessed = false;
};
