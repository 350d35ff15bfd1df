#include "core/EventLoop.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <future>
#include <stdexcept>

namespace ksim {

EventLoop::EventLoop() {
    wakeFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (wakeFd_ < 0) throw std::runtime_error("eventfd failed");
}

EventLoop::~EventLoop() {
    stop();
    close(wakeFd_);
}

void EventLoop::start() {
    thread_ = std::thread([this] { run(); });
}

void EventLoop::stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake();
    if (thread_.joinable()) thread_.join();
    std::lock_guard<std::mutex> lock(mutex_);
    timers_.clear();
    watchers_.clear();
}

void EventLoop::wake() {
    uint64_t one = 1;
    ssize_t n = write(wakeFd_, &one, sizeof one);
    (void)n;  // a full counter already means "wake up"
}

void EventLoop::post(Task task) {
    postAfter(0, std::move(task));
}

void EventLoop::postAfter(double delayMs, Task task) {
    auto due = Clock::now() + std::chrono::microseconds(static_cast<int64_t>(delayMs * 1000));
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (stopping_) return;
        timers_.emplace(std::make_pair(due, nextSeq_++), std::move(task));
    }
    wake();
}

void EventLoop::watch(int fd, Task onReadable) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        watchers_[fd] = std::move(onReadable);
    }
    wake();
}

void EventLoop::unwatch(int fd) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        watchers_.erase(fd);
    }
    wake();
}

void EventLoop::runSync(const Task& task) {
    if (onLoopThread() || !thread_.joinable()) {
        task();
        return;
    }
    std::promise<void> done;
    auto finished = done.get_future();
    post([&] {
        task();
        done.set_value();
    });
    finished.wait();
}

void EventLoop::run() {
    std::vector<pollfd> fds;
    for (;;) {
        int timeoutMs = -1;
        fds.clear();
        fds.push_back({wakeFd_, POLLIN, 0});
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (stopping_) return;
            for (auto& w : watchers_) fds.push_back({w.first, POLLIN, 0});
            if (!timers_.empty()) {
                auto wait = timers_.begin()->first.first - Clock::now();
                auto ms = std::chrono::ceil<std::chrono::milliseconds>(wait).count();
                timeoutMs = ms < 0 ? 0 : static_cast<int>(ms);
            }
        }
        int n = poll(fds.data(), fds.size(), timeoutMs);
        if (n < 0 && errno != EINTR) return;
        if (fds[0].revents & POLLIN) {
            uint64_t count;
            ssize_t r = read(wakeFd_, &count, sizeof count);
            (void)r;
        }
        for (size_t i = 1; n > 0 && i < fds.size(); ++i) {
            if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            Task handler;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                auto it = watchers_.find(fds[i].fd);
                if (it == watchers_.end()) continue;
                handler = it->second;
            }
            handler();
        }
        for (;;) {
            Task due;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                if (stopping_ || timers_.empty() || timers_.begin()->first.first > Clock::now()) {
                    break;
                }
                due = std::move(timers_.begin()->second);
                timers_.erase(timers_.begin());
            }
            due();
        }
    }
}

}  // namespace ksim
