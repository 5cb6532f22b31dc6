// The program's one worker-thread type.
#include "app/worker.h"

#include <system_error>
#include <utility>

Worker::~Worker() {
    RequestStop();
    if (thread_.joinable()) thread_.join();
}

bool Worker::Start(Job job) {
    if (thread_.joinable()) {
        if (state_.load() != kFinished) return false;
        thread_.join();
    }
    state_ = kRunning;
    try {
        thread_ = std::thread([this, job = std::move(job)] {
            job(*this);
            Finish();
        });
    } catch (const std::system_error&) {
        state_ = kIdle;
        return false;
    }
    return true;
}

void Worker::RequestStop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        int running = kRunning;
        state_.compare_exchange_strong(running, kStopRequested);
    }
    changed_.notify_all();
}

bool Worker::Running() const {
    const int now = state_.load();
    return now == kRunning || now == kStopRequested;
}

void Worker::Finish() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        state_ = kFinished;
    }
    changed_.notify_all();
}

bool Worker::Join(std::chrono::milliseconds timeout) {
    if (!thread_.joinable()) return true;
    {
        std::unique_lock<std::mutex> lock(mutex_);
        if (!changed_.wait_for(lock, timeout, [this] { return state_.load() == kFinished; })) return false;
    }
    thread_.join();
    return true;
}

bool Worker::SleepUnlessStopped(std::chrono::milliseconds duration) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait_for(lock, duration, [this] { return state_.load() == kStopRequested; });
    return state_.load() != kStopRequested;
}
