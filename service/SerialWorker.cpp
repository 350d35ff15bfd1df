#include "SerialWorker.h"

bool StartThreadWithStack(pthread_t& thread, size_t stackBytes, void* (*fn)(void*), void* arg) {
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0) return false;
    const bool started = pthread_attr_setstacksize(&attributes, stackBytes) == 0 &&
                         pthread_create(&thread, &attributes, fn, arg) == 0;
    pthread_attr_destroy(&attributes);
    return started;
}

SerialWorker::~SerialWorker() {
    Stop();
}

bool SerialWorker::Start() {
    std::lock_guard<std::mutex> guard(mMutex);
    if (mStarted) return true;
    mStopping = false;
    mStarted = StartThreadWithStack(mThread, kStackBytes, &SerialWorker::Main, this);
    return mStarted;
}

std::deque<SerialWorker::Job> SerialWorker::Stop() {
    {
        std::lock_guard<std::mutex> guard(mMutex);
        if (!mStarted) return TakeJobs();
        mStopping = true;
    }
    mWake.notify_one();
    pthread_join(mThread, nullptr);
    std::lock_guard<std::mutex> guard(mMutex);
    mStarted = false;
    return TakeJobs();
}

std::deque<SerialWorker::Job> SerialWorker::TakeJobs() {
    std::deque<Job> jobs;
    jobs.swap(mJobs);
    return jobs;
}

void SerialWorker::Post(Job job) {
    {
        std::lock_guard<std::mutex> guard(mMutex);
        mJobs.push_back(std::move(job));
    }
    mWake.notify_one();
}

void* SerialWorker::Main(void* self) {
    static_cast<SerialWorker*>(self)->Run();
    return nullptr;
}

void SerialWorker::Run() {
    std::unique_lock<std::mutex> guard(mMutex);
    for (;;) {
        mWake.wait(guard, [this] { return mStopping || !mJobs.empty(); });
        if (mStopping) return;
        Job job = std::move(mJobs.front());
        mJobs.pop_front();
        guard.unlock();
        job();
        job = nullptr;
        guard.lock();
    }
}
