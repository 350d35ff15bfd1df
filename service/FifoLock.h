// A ticket lock: waiters get the lock in the order they asked for it, so a
// client that keeps sending cannot overtake the others.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

class FifoLock {
  public:
    void lock() {
        std::unique_lock<std::mutex> guard(mMutex);
        const uint64_t ticket = mNext++;
        mTurn.wait(guard, [&] { return mServing == ticket; });
    }
    void unlock() {
        std::lock_guard<std::mutex> guard(mMutex);
        ++mServing;
        mTurn.notify_all();
    }

  private:
    std::mutex mMutex;
    std::condition_variable mTurn;
    uint64_t mNext = 0;
    uint64_t mServing = 0;
};
