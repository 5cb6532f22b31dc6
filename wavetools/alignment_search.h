// The vocal canceler's alignment search: the score of the Inst at every frame offset against a
// window of the Original, computed on gathered, vectorised copies of the compared samples and
// streamed from the files in blocks, with exactly the scores of the plain definition.
#ifndef HARMOLAB_WAVETOOLS_ALIGNMENT_SEARCH_H
#define HARMOLAB_WAVETOOLS_ALIGNMENT_SEARCH_H

#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

// Bytes between compared sample pairs: every sixth frame of 16-bit stereo.
constexpr std::uint32_t AlignmentStrideBytes = 24;

// The plain definition, one offset at a time: points for the Inst at byte offset w against the
// Original window. For k = 0, 24, 48, ... the two samples at k and k + 2 are compared with those at
// w + k and w + k + 2; a pair within 4 of each other scores one. Stops at the end of either buffer.
int AlignmentScore(const std::uint8_t* window, std::uint32_t windowBytes, const std::uint8_t* inst,
                   std::uint32_t instBytes, std::uint32_t w);

// Reads up to `bytes` sample bytes of one input, starting at data byte `at`; returns the count.
using SampleReader = std::function<std::uint32_t(std::uint64_t at, std::uint8_t* dest, std::uint32_t bytes)>;

// Runs task(0) ... task(lanes - 1) at the same time and returns when all have ended. The Windows
// side runs them on threads; a runner of one lane runs the task on the calling thread.
class LaneRunner {
public:
    virtual ~LaneRunner() = default;
    virtual int Lanes() const = 0;
    virtual void RunLanes(const std::function<void(int lane)>& task) = 0;
};

// The offsets to score: first, first + step, ... while below end and below the Inst's size.
struct AlignmentRange {
    std::uint64_t first = 0;
    std::uint64_t end = 0;
    std::uint32_t step = 4;  // the Inst's frame bytes: 2 or 4
};

enum class SearchEnd { kDone, kStopped, kNoMemory, kReadFailed };

// Receives the scores of consecutive offsets, in offset order: scores[i] belongs to first + i x step.
using ScoreSink = std::function<void(std::uint64_t first, const std::vector<int>& scores)>;

class AlignmentSearch {
public:
    // Gathers the compared pairs of `bytes` Original bytes from data byte `from`; the window is
    // what the reader returns. kStopped when `running` drops below 1 meanwhile.
    SearchEnd LoadWindow(const SampleReader& original, std::uint64_t from, std::uint32_t bytes,
                         const std::atomic<int>& running);
    std::uint32_t WindowBytes() const { return window_bytes_; }

    // Scores every offset of the range against the Inst of instBytes bytes, handing the scores to
    // the sink in offset order after each batch of about a few milliseconds' work. Stops early
    // (kStopped) when `running` drops below 1; the scores handed over until then are final.
    SearchEnd Score(const SampleReader& inst, std::uint32_t instBytes, const AlignmentRange& range, LaneRunner& lanes,
                    const std::atomic<int>& running, const ScoreSink& sink);

private:
    std::uint32_t window_bytes_ = 0;
    std::uint32_t pairs_ = 0;           // compared pairs in the window
    std::vector<std::int16_t> bounds_;  // per 8 samples: 8 shifted lower bounds, then 8 shifted widths
};

// A runner that runs its single lane on the calling thread.
class SingleLane : public LaneRunner {
public:
    int Lanes() const override { return 1; }
    void RunLanes(const std::function<void(int)>& task) override { task(0); }
};

#endif
