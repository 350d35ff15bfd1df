// A lock handed over in the order it was asked for, so a client that keeps
// sending cannot overtake the others. Each waiter has its own condition, so
// an unlock wakes only the next waiter in line.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>

class FifoLock {
  public:
    void lock() {
        std::unique_lock<std::mutex> guard(mMutex);
        if (!mHeld && mWaiters.empty()) {
            mHeld = true;
            return;
        }
        Waiter self;
        mWaiters.push_back(&self);
        self.turn.wait(guard, [&] { return self.granted; });
    }

    // Passes the lock straight to the oldest waiter, if any.
    void unlock() {
        std::lock_guard<std::mutex> guard(mMutex);
        if (mWaiters.empty()) {
            mHeld = false;
            return;
        }
        Waiter* next = mWaiters.front();
        mWaiters.pop_front();
        next->granted = true;
        next->turn.notify_one();
    }

    // How many threads wait for the lock.
    size_t Waiting() {
        std::lock_guard<std::mutex> guard(mMutex);
        return mWaiters.size();
    }

  private:
    struct Waiter {
        std::condition_variable turn;
        bool granted = false;
    };

    std::mutex mMutex;
    std::deque<Waiter*> mWaiters;
    bool mHeld = false;
};
