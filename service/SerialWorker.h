// One thread that runs jobs one at a time, in the order they were queued, on
// a stack of a known size (parsers of nested documents recurse deeply).
#pragma once

#include <pthread.h>

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>

class SerialWorker {
  public:
    using Job = std::function<void()>;
    static constexpr size_t kStackBytes = 8 * 1024 * 1024;

    SerialWorker() = default;
    ~SerialWorker();
    SerialWorker(const SerialWorker&) = delete;
    SerialWorker& operator=(const SerialWorker&) = delete;

    bool Start();
    // Lets the running job finish and ends the thread; jobs not yet started
    // are handed back, not run, so the caller destroys them where it is safe.
    std::deque<Job> Stop();
    void Post(Job job);

  private:
    static void* Main(void* self);
    void Run();
    // Under mMutex.
    std::deque<Job> TakeJobs();

    std::mutex mMutex;
    std::condition_variable mWake;
    std::deque<Job> mJobs;
    bool mStopping = false;
    bool mStarted = false;
    pthread_t mThread{};
};

// Starts fn on a new thread with a stack of stackBytes; false when it cannot.
bool StartThreadWithStack(pthread_t& thread, size_t stackBytes, void* (*fn)(void*), void* arg);
