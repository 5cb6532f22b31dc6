// The vocal canceler's alignment search: the plain one-offset-at-a-time loop against the gathered,
// vectorised search on one generated 44,100 Hz stereo pair (a 120 s window of the Original against
// the Inst over the default 1,000 ms of offsets), on one lane and on two. The plain loop scores
// every 441st offset of the range (it would take minutes for all); times are compared per offset.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <vector>

#include "bench/bench_results.h"
#include "wavetools/thread_lanes.h"
#include "wavetools/alignment_search.h"
#include "wavetools/vocal_canceler.h"

namespace {

constexpr int kRate = 44100;
constexpr std::uint32_t kFrameBytes = 4;
constexpr std::uint32_t kPlainStride = 441;  // offsets of the range between two plain scores

struct Pair {
    std::vector<std::uint8_t> window, inst;
    AlignmentRange range;
};

// A loud, varied backing track; the Original is the Inst from 0.4 s on with a quiet voice on top.
const Pair& PairOf(int windowSeconds) {
    static std::map<int, Pair> pairs;
    Pair& p = pairs[windowSeconds];
    if (!p.inst.empty()) return p;
    const std::size_t frames = static_cast<std::size_t>(windowSeconds + 2) * kRate;
    p.inst.resize(frames * kFrameBytes);
    std::uint32_t seed = 1;
    for (std::size_t i = 0; i < frames * 2; ++i) {
        seed = seed * 1664525u + 1013904223u;
        PutCancelerSample(&p.inst[i * 2], static_cast<int>((seed >> 16) % 20001) - 10000);
    }
    const std::size_t start = kRate * 2 / 5 * kFrameBytes;
    p.window.assign(p.inst.begin() + static_cast<std::ptrdiff_t>(start),
                    p.inst.begin() + static_cast<std::ptrdiff_t>(start + std::size_t{kRate} * windowSeconds * 4));
    for (std::size_t i = 0; i < p.window.size(); i += 2) {
        PutCancelerSample(&p.window[i], CancelerSample(&p.window[i]) + static_cast<int>(i / 2 % 7) - 3);
    }
    p.range = {0, kRate * kFrameBytes, kFrameBytes};
    return p;
}

SampleReader ReaderOf(const std::vector<std::uint8_t>& data) {
    return [&data](std::uint64_t at, std::uint8_t* dest, std::uint32_t bytes) -> std::uint32_t {
        if (at >= data.size()) return 0;
        const auto n = static_cast<std::uint32_t>(std::min<std::uint64_t>(bytes, data.size() - at));
        std::memcpy(dest, data.data() + at, n);
        return n;
    };
}

std::vector<int> FastScores(const Pair& p, int lanes) {
    std::atomic<int> running{kCancelerRunning};
    AlignmentSearch search;
    search.LoadWindow(ReaderOf(p.window), 0, static_cast<std::uint32_t>(p.window.size()), running);
    ThreadLanes runner(lanes);
    std::vector<int> scores;
    search.Score(
        ReaderOf(p.inst), static_cast<std::uint32_t>(p.inst.size()), p.range, runner, running,
        [&](std::uint64_t, const std::vector<int>& batch) { scores.insert(scores.end(), batch.begin(), batch.end()); });
    return scores;
}

int PlainScore(const Pair& p, std::uint32_t w) {
    return AlignmentScore(p.window.data(), static_cast<std::uint32_t>(p.window.size()), p.inst.data(),
                          static_cast<std::uint32_t>(p.inst.size()), w);
}

// Arguments: window seconds.
void BM_PlainLoop(benchmark::State& state) {
    const Pair& p = PairOf(static_cast<int>(state.range(0)));
    std::int64_t offsets = 0;
    for (auto _ : state) {
        for (std::uint64_t w = p.range.first; w < p.range.end; w += std::uint64_t{kPlainStride} * p.range.step) {
            benchmark::DoNotOptimize(PlainScore(p, static_cast<std::uint32_t>(w)));
            ++offsets;
        }
    }
    state.SetItemsProcessed(offsets);
}
BENCHMARK(BM_PlainLoop)->Arg(120)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// Arguments: window seconds, lanes. Checks the plain loop's scores on the offsets it samples.
void BM_FastSearch(benchmark::State& state) {
    const Pair& p = PairOf(static_cast<int>(state.range(0)));
    std::vector<int> scores;
    for (auto _ : state) scores = FastScores(p, static_cast<int>(state.range(1)));
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(scores.size()));
    for (std::size_t i = 0; i < scores.size(); i += kPlainStride) {
        if (scores[i] != PlainScore(p, static_cast<std::uint32_t>(p.range.first + i * p.range.step))) {
            state.SkipWithError("a score differs from the plain loop's");
            break;
        }
    }
}
BENCHMARK(BM_FastSearch)
    ->Args({120, 1})
    ->Args({120, 2})
    ->Args({2, 1})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

}  // namespace

void PrintAlignmentSummary(const BenchResults& reporter) {
    const double plain = reporter.Rate("BM_PlainLoop/120/iterations:1/real_time");
    if (plain <= 0.0) return;
    std::printf("\nSummary (120 s window, %d offsets in the 1,000 ms range)\n", kRate);
    std::printf("  plain loop   %8.3f ms per offset, %7.1f s per search\n", 1e3 / plain, kRate / plain);
    for (int lanes : {1, 2}) {
        const double fast = reporter.Rate("BM_FastSearch/120/" + std::to_string(lanes) + "/iterations:1/real_time");
        if (fast <= 0.0) continue;
        std::printf("  fast, %d lane%s %8.3f ms per offset, %7.1f s per search, %5.1fx faster\n", lanes,
                    lanes > 1 ? "s" : " ", 1e3 / fast, kRate / fast, fast / plain);
    }
}
