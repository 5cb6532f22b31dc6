// Lanes of the alignment search on threads of their own, one per processor.
#ifndef HARMOLAB_WAVETOOLS_LANE_RUNNER_WIN_H
#define HARMOLAB_WAVETOOLS_LANE_RUNNER_WIN_H

#include "wavetools/alignment_search.h"

class ProcessorLanes : public LaneRunner {
public:
    ProcessorLanes();
    int Lanes() const override { return lanes_; }
    // Lane 0 runs on the calling thread; a lane whose thread cannot start runs there afterwards.
    void RunLanes(const std::function<void(int)>& task) override;

private:
    int lanes_;
};

#endif
