// Runs the search's lanes on short-lived threads and waits for all of them.
#include "wavetools/thread_lanes.h"

#include <algorithm>
#include <system_error>
#include <thread>
#include <vector>

namespace {

constexpr int kMostLanes = 8;

}  // namespace

ThreadLanes::ThreadLanes(int lanes) {
    if (lanes <= 0) lanes = static_cast<int>(std::thread::hardware_concurrency());
    lanes_ = std::clamp(lanes, 1, kMostLanes);
}

void ThreadLanes::RunLanes(const std::function<void(int)>& task) {
    std::vector<std::thread> helpers;
    int lane = 1;
    try {
        for (; lane < lanes_; ++lane) helpers.emplace_back(task, lane);
    } catch (const std::system_error&) {
        // Out of threads: the lanes not started run here.
    }
    task(0);
    for (; lane < lanes_; ++lane) task(lane);
    for (std::thread& helper : helpers) helper.join();
}
