#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "XManualResetEvent.h"

namespace {

TEST(XManualResetEvent, StaysSignaledUntilReset) {
    XManualResetEvent event;
    EXPECT_FALSE(event.IsSignaled());
    EXPECT_FALSE(event.Wait(0));
    event.Signal();
    EXPECT_TRUE(event.IsSignaled());
    EXPECT_TRUE(event.Wait(0));
    event.Wait();
    event.Reset();
    EXPECT_FALSE(event.Wait(0));
}

// A pulse (Signal then Reset at once) must still release a waiter that was
// already blocked, thanks to the counter.
TEST(XManualResetEvent, PulseReleasesBlockedWaiter) {
    XManualResetEvent event;
    XManualResetEvent waiting;
    std::atomic<bool> released{false};
    std::thread waiter([&] {
        waiting.Signal();
        released = event.Wait(10000);
    });
    waiting.Wait();
    // The waiter may not be inside Wait yet; pulse until it has been released.
    for (int i = 0; i < 1000 && !released; ++i) {
        event.Signal();
        event.Reset();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    waiter.join();
    EXPECT_TRUE(released);
    EXPECT_FALSE(event.IsSignaled());
}

}  // namespace
