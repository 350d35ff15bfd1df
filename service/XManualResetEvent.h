// A manual-reset event: once signalled it stays signalled until Reset. A
// counter bumped by every Signal releases waiters even when Reset follows at
// once, so no waiter can miss a short pulse.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

class XManualResetEvent {
  public:
    XManualResetEvent() = default;
    XManualResetEvent(const XManualResetEvent&) = delete;
    XManualResetEvent& operator=(const XManualResetEvent&) = delete;

    void Signal();
    void Reset();
    void Wait();
    // True when the event was or became signalled within the time.
    bool Wait(uint32_t msec);
    bool IsSignaled();

  private:
    std::mutex mMutex;
    std::condition_variable mCondition;
    bool mSignaled = false;
    uint64_t mCounter = 0;
};
