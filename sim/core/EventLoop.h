#pragma once
// One worker thread that owns every simulated device's protocol state: tasks,
// timers and readable descriptors all run here, so device personalities need no
// locks of their own. USB ioctls arrive on another thread and are posted here.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace ksim {

class EventLoop {
  public:
    using Task = std::function<void()>;
    using Clock = std::chrono::steady_clock;

    EventLoop();
    ~EventLoop();
    EventLoop(const EventLoop&) = delete;
    EventLoop& operator=(const EventLoop&) = delete;

    void start();
    // Stops the thread; pending tasks and timers are dropped.
    void stop();

    // Safe from any thread.
    void post(Task task);
    // Runs `task` after `delayMs` real milliseconds (0 runs it as soon as possible).
    void postAfter(double delayMs, Task task);
    // Calls `onReadable` on the loop thread whenever `fd` is readable, until unwatch.
    void watch(int fd, Task onReadable);
    void unwatch(int fd);

    bool onLoopThread() const { return std::this_thread::get_id() == thread_.get_id(); }

    // Runs `task` on the loop thread and waits for it (runs inline when already there).
    void runSync(const Task& task);

  private:
    void run();
    void wake();

    int wakeFd_ = -1;
    std::thread thread_;
    std::mutex mutex_;
    bool stopping_ = false;
    uint64_t nextSeq_ = 0;
    std::map<std::pair<Clock::time_point, uint64_t>, Task> timers_;
    std::map<int, Task> watchers_;
};

}  // namespace ksim
