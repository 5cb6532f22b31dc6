// One background job on its own thread: start, ask it to stop, wait for its end with a timeout.
#ifndef HARMOLAB_APP_WORKER_H
#define HARMOLAB_APP_WORKER_H

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

// Every background thread of the program is a Worker. The job checks StopRequested() (or sleeps
// with SleepUnlessStopped) between short slices of work and reports only by posting messages. The
// owner asks it to stop and joins it before it frees anything the job uses; the destructor does
// both, so a Worker never outlives its thread.
class Worker {
public:
    enum State : int { kIdle = 0, kRunning = 1, kStopRequested = 2, kFinished = 3 };
    using Job = std::function<void(Worker&)>;

    Worker() = default;
    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;
    ~Worker();

    // Runs job on a new thread. False while an earlier job still runs or when no thread starts;
    // a finished earlier job is joined first.
    bool Start(Job job);
    // Asks the job to end soon; returns at once.
    void RequestStop();
    bool StopRequested() const { return state_.load() == kStopRequested; }
    // True from Start until the job has returned.
    bool Running() const;
    State state() const { return static_cast<State>(state_.load()); }
    // Waits up to timeout for the job to return and joins its thread. True when no thread is left;
    // false when the job still runs (it may be joined by a later call).
    bool Join(std::chrono::milliseconds timeout);
    // For the job: sleeps up to duration, waking early on a stop request. False when asked to stop.
    bool SleepUnlessStopped(std::chrono::milliseconds duration);

private:
    void Finish();

    std::thread thread_;
    std::atomic<int> state_{kIdle};
    std::mutex mutex_;  // only for waking sleepers and joiners
    std::condition_variable changed_;
};

#endif
