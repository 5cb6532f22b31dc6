// A LaneRunner on std::thread for the native tests and benchmarks (the Windows program has its own).
#ifndef HARMOLAB_TESTS_WAVETOOLS_THREAD_LANES_H
#define HARMOLAB_TESTS_WAVETOOLS_THREAD_LANES_H

#include <thread>
#include <vector>

#include "wavetools/alignment_search.h"

class ThreadLanes : public LaneRunner {
public:
    explicit ThreadLanes(int lanes) : lanes_(lanes) {}
    int Lanes() const override { return lanes_; }
    void RunLanes(const std::function<void(int)>& task) override {
        std::vector<std::thread> helpers;
        for (int lane = 1; lane < lanes_; ++lane) helpers.emplace_back(task, lane);
        task(0);
        for (std::thread& helper : helpers) helper.join();
    }

private:
    int lanes_;
};

#endif
