#include "XManualResetEvent.h"

#include <chrono>

void XManualResetEvent::Signal() {
    std::lock_guard<std::mutex> lock(mMutex);
    mSignaled = true;
    ++mCounter;
    mCondition.notify_all();
}

void XManualResetEvent::Reset() {
    std::lock_guard<std::mutex> lock(mMutex);
    mSignaled = false;
}

void XManualResetEvent::Wait() {
    std::unique_lock<std::mutex> lock(mMutex);
    if (mSignaled) return;
    const uint64_t counter = mCounter;
    mCondition.wait(lock, [&] { return mSignaled || mCounter != counter; });
}

bool XManualResetEvent::Wait(uint32_t msec) {
    std::unique_lock<std::mutex> lock(mMutex);
    if (mSignaled) return true;
    const uint64_t counter = mCounter;
    mCondition.wait_for(lock, std::chrono::milliseconds(msec),
                        [&] { return mSignaled || mCounter != counter; });
    return mSignaled || mCounter != counter;
}

bool XManualResetEvent::IsSignaled() {
    std::lock_guard<std::mutex> lock(mMutex);
    return mSignaled;
}
