// Lanes of the alignment search on threads of their own, one per processor unless told otherwise.
#ifndef HARMOLAB_WAVETOOLS_THREAD_LANES_H
#define HARMOLAB_WAVETOOLS_THREAD_LANES_H

#include "wavetools/alignment_search.h"

class ThreadLanes : public LaneRunner {
public:
    // 0: one lane per processor (at most 8).
    explicit ThreadLanes(int lanes = 0);
    int Lanes() const override { return lanes_; }
    // Lane 0 runs on the calling thread; a lane whose thread cannot start runs there afterwards.
    void RunLanes(const std::function<void(int)>& task) override;

private:
    int lanes_;
};

#endif
