#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "FifoLock.h"

namespace {

// Waiters get the lock in the order they asked for it.
TEST(FifoLock, HandsOverInArrivalOrder) {
    FifoLock lock;
    std::mutex orderMutex;
    std::vector<int> order;
    std::vector<std::thread> threads;
    lock.lock();
    for (int i = 0; i < 5; ++i) {
        threads.emplace_back([&, i] {
            std::lock_guard<FifoLock> turn(lock);
            std::lock_guard<std::mutex> guard(orderMutex);
            order.push_back(i);
        });
        // The next thread starts only once this one is queued.
        for (int wait = 0; wait < 5000 && lock.Waiting() != static_cast<size_t>(i + 1); ++wait) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        ASSERT_EQ(lock.Waiting(), static_cast<size_t>(i + 1));
    }
    lock.unlock();
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));
}

}  // namespace
