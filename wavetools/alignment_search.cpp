// The alignment search on gathered sample pairs: SSE2 compares eight samples against their
// tolerance bounds at once, four offsets share each load of the bounds, and the window is walked
// in cache-sized tiles.
//
// A sample c (-32767..32768, 0x8000 reading +32,768) is held as c - 1, which fits a signed 16-bit
// lane and keeps every difference; a window sample's bounds are (c - 1) -/+ 4 clamped to the lane,
// and an Inst sample outside them is a miss. Clamping never changes a verdict, because no Inst
// sample lies beyond the lane's ends either, so the count equals the plain definition's exactly.
// The bounds test takes one subtraction and one comparison: x lies in [low, high] exactly when
// x - low, wrapped to 16 bits and read unsigned, is at most high - low. SSE2 compares signed only,
// so both sides are shifted by 32,768: the window keeps low ^ 0x8000 and high - low - 32,768.
#include "wavetools/alignment_search.h"

#include <algorithm>
#include <new>
#include <stdexcept>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "wavetools/vocal_canceler.h"

namespace {

constexpr int kTolerance = 4;
constexpr std::uint32_t kLaneSamples = 8;    // samples per vector
constexpr std::uint32_t kGroupRows = 4;      // offsets sharing one load of the bounds
constexpr std::uint32_t kUnitRows = 64;      // offsets of one phase given to a lane at a time
constexpr std::uint32_t kTileVectors = 512;  // bounds of 32 KB: they stay in the nearest caches
// Vector comparisons of one batch of offsets between two hand-overs of scores: some milliseconds.
constexpr std::uint64_t kBatchVectors = 16 << 20;
constexpr std::uint64_t kMostBatchRows = 4096;
constexpr std::uint64_t kChunkRows = 200000;  // rows of offsets per gathered region of the Inst
// Reads of whole 24-byte strides, just under the canceler's 5,120,000-byte block.
constexpr std::uint32_t kReadBlockBytes = AlignmentStrideBytes * 213333;

std::int16_t Held(const std::uint8_t* p) {
    return static_cast<std::int16_t>(CancelerSample(p) - 1);
}

std::uint32_t PairsIn(std::uint64_t bytes) {
    return bytes < 4 ? 0 : static_cast<std::uint32_t>((bytes - 4) / AlignmentStrideBytes + 1);
}

template <typename T>
bool Resize(std::vector<T>& v, std::size_t n) {
    try {
        v.assign(n, T{});
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
}

// Misses over samples [from, to) one at a time (the tail after the whole vectors).
int CountTailMisses(const std::int16_t* bounds, const std::int16_t* g, std::uint32_t from, std::uint32_t to) {
    int misses = 0;
    for (std::uint32_t s = from; s < to; ++s) {
        const std::size_t at = 16 * (s / kLaneSamples) + s % kLaneSamples;
        const auto shifted = static_cast<std::int16_t>(static_cast<std::uint16_t>(g[s] - bounds[at]));
        misses += shifted > bounds[at + 8];
    }
    return misses;
}

#if defined(__SSE2__)
__m128i Load(const std::int16_t* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// -1 in every lane whose Inst sample lies outside the window sample's bounds.
__m128i Misses(__m128i inst, __m128i low, __m128i width) {
    return _mm_cmpgt_epi16(_mm_sub_epi16(inst, low), width);
}

int LaneSum(__m128i negativeCounts) {
    __m128i sum = _mm_madd_epi16(negativeCounts, _mm_set1_epi16(-1));  // four 32-bit partial counts
    sum = _mm_add_epi32(sum, _mm_shuffle_epi32(sum, _MM_SHUFFLE(1, 0, 3, 2)));
    sum = _mm_add_epi32(sum, _mm_shuffle_epi32(sum, _MM_SHUFFLE(2, 3, 0, 1)));
    return _mm_cvtsi128_si32(sum);
}
#endif

// Misses of four offsets, whose Inst samples start 2 apart from g, over vectors [v0, v1); at most
// 32,767 vectors per call, so that a 16-bit lane cannot overflow. The accumulators are spelt out
// to stay in registers (eight of them on 32-bit x86).
void CountMisses4(const std::int16_t* bounds, const std::int16_t* g, std::uint32_t v0, std::uint32_t v1, int* misses) {
#if defined(__SSE2__)
    __m128i a0 = _mm_setzero_si128(), a1 = a0, a2 = a0, a3 = a0;
    const std::int16_t* b = bounds + 16 * v0;
    const std::int16_t* x = g + kLaneSamples * v0;
    for (std::uint32_t v = v0; v < v1; ++v, b += 16, x += kLaneSamples) {
        const __m128i low = Load(b), width = Load(b + 8);
        a0 = _mm_add_epi16(a0, Misses(Load(x), low, width));
        a1 = _mm_add_epi16(a1, Misses(Load(x + 2), low, width));
        a2 = _mm_add_epi16(a2, Misses(Load(x + 4), low, width));
        a3 = _mm_add_epi16(a3, Misses(Load(x + 6), low, width));
    }
    misses[0] += LaneSum(a0);
    misses[1] += LaneSum(a1);
    misses[2] += LaneSum(a2);
    misses[3] += LaneSum(a3);
#else
    for (int r = 0; r < 4; ++r) misses[r] += CountTailMisses(bounds, g + 2 * r, v0 * kLaneSamples, v1 * kLaneSamples);
#endif
}

// The same for one offset.
void CountMisses1(const std::int16_t* bounds, const std::int16_t* g, std::uint32_t v0, std::uint32_t v1, int* misses) {
#if defined(__SSE2__)
    __m128i a = _mm_setzero_si128();
    for (std::uint32_t v = v0; v < v1; ++v) {
        a = _mm_add_epi16(a, Misses(Load(g + kLaneSamples * v), Load(bounds + 16 * v), Load(bounds + 16 * v + 8)));
    }
    *misses += LaneSum(a);
#else
    *misses += CountTailMisses(bounds, g, v0 * kLaneSamples, v1 * kLaneSamples);
#endif
}

// The Inst's pairs of one chunk of rows, one array per phase (byte offset within a stride).
struct InstRegion {
    std::uint64_t firstRow = 0;
    std::uint32_t rows = 0;  // pairs per phase
    std::uint32_t phases = 0;
    std::uint32_t step = 0;
    std::vector<std::int16_t> pairs;  // phase i: [i x stride_, (i + 1) x stride_)
    std::size_t stride = 0;

    const std::int16_t* Phase(std::uint32_t i) const { return pairs.data() + i * stride; }
};

SearchEnd GatherRegion(const SampleReader& inst, std::uint32_t instBytes, InstRegion& region,
                       const std::atomic<int>& running) {
    // Padding: the last group reads up to three rows and one vector past its own pairs.
    region.stride = 2 * static_cast<std::size_t>(region.rows) + 2 * kGroupRows + 2 * kLaneSamples;
    if (!Resize(region.pairs, region.stride * region.phases)) return SearchEnd::kNoMemory;
    std::vector<std::uint8_t> block;
    if (!Resize(block, kReadBlockBytes + AlignmentStrideBytes)) return SearchEnd::kNoMemory;
    const std::uint64_t start = region.firstRow * AlignmentStrideBytes;
    const std::uint64_t wanted =
        std::min<std::uint64_t>(instBytes - start, std::uint64_t{region.rows} * AlignmentStrideBytes);
    for (std::uint64_t pos = 0; pos < wanted; pos += kReadBlockBytes) {
        if (running.load() < 1) return SearchEnd::kStopped;
        // One stride more than the block, for the pairs that begin near its end.
        const auto ask = static_cast<std::uint32_t>(
            std::min<std::uint64_t>(kReadBlockBytes + AlignmentStrideBytes, instBytes - start - pos));
        if (inst(start + pos, block.data(), ask) != ask) return SearchEnd::kReadFailed;
        const std::uint32_t rowsHere = std::min(kReadBlockBytes, ask) / AlignmentStrideBytes + 1;
        const auto row0 = static_cast<std::size_t>(pos / AlignmentStrideBytes);
        for (std::uint32_t i = 0; i < region.phases; ++i) {
            std::int16_t* out = region.pairs.data() + i * region.stride;
            for (std::uint32_t m = 0; m < rowsHere && row0 + m < region.rows; ++m) {
                const std::uint32_t at = m * AlignmentStrideBytes + i * region.step;
                if (at + 4 > ask) break;  // past the end of the Inst: never compared
                out[2 * (row0 + m)] = Held(block.data() + at);
                out[2 * (row0 + m) + 1] = Held(block.data() + at + 2);
            }
        }
    }
    return SearchEnd::kDone;
}

// Scores the offsets of rows [rowBegin, rowEnd) of one phase that lie in [first, last), in groups
// of four rows; a group's rows past rowEnd are computed and dropped.
void ScoreUnit(const std::int16_t* bounds, std::uint32_t pairs, const InstRegion& region, std::uint32_t phase,
               std::uint64_t rowBegin, std::uint64_t rowEnd, std::uint32_t instBytes, std::uint64_t first,
               std::uint64_t last, std::vector<int>& scores) {
    const std::uint32_t groups = static_cast<std::uint32_t>(rowEnd - rowBegin + kGroupRows - 1) / kGroupRows;
    const std::uint32_t rows = groups * kGroupRows;
    std::uint64_t offset[kUnitRows];
    std::uint32_t vectors[kUnitRows], samples[kUnitRows], common[kUnitRows / kGroupRows];
    int misses[kUnitRows] = {};
    std::uint32_t longest = 0;
    for (std::uint32_t r = 0; r < rows; ++r) {
        offset[r] = (rowBegin + r) * AlignmentStrideBytes + phase * region.step;
        const std::uint32_t n = offset[r] + 4 > instBytes ? 0 : std::min(pairs, PairsIn(instBytes - offset[r]));
        samples[r] = 2 * n;
        vectors[r] = samples[r] / kLaneSamples;
    }
    for (std::uint32_t g = 0; g < groups; ++g) {
        common[g] = *std::min_element(vectors + g * kGroupRows, vectors + (g + 1) * kGroupRows);
        longest = std::max(longest, common[g]);
    }
    auto row = [&](std::uint32_t r) { return region.Phase(phase) + 2 * (rowBegin + r - region.firstRow); };
    // Tile by tile, so that the bounds are read from the cache by every group.
    for (std::uint32_t v = 0; v < longest; v += kTileVectors) {
        for (std::uint32_t g = 0; g < groups; ++g) {
            const std::uint32_t to = std::min(v + kTileVectors, common[g]);
            if (v < to) CountMisses4(bounds, row(g * kGroupRows), v, to, misses + g * kGroupRows);
        }
    }
    for (std::uint32_t r = 0; r < rows; ++r) {
        for (std::uint32_t v = common[r / kGroupRows]; v < vectors[r]; v += kTileVectors) {
            CountMisses1(bounds, row(r), v, std::min(v + kTileVectors, vectors[r]), misses + r);
        }
        misses[r] += CountTailMisses(bounds, row(r), vectors[r] * kLaneSamples, samples[r]);
        if (offset[r] >= first && offset[r] < last && rowBegin + r < rowEnd) {
            scores[static_cast<std::size_t>((offset[r] - first) / region.step)] =
                static_cast<int>(samples[r]) - misses[r];
        }
    }
}

}  // namespace

int AlignmentScore(const std::uint8_t* window, std::uint32_t windowBytes, const std::uint8_t* inst,
                   std::uint32_t instBytes, std::uint32_t w) {
    int score = 0;
    for (std::uint32_t k = 0; k + 4 <= windowBytes; k += AlignmentStrideBytes) {
        if (static_cast<std::uint64_t>(w) + k + 4 > instBytes) break;
        for (std::uint32_t j = 0; j < 4; j += 2) {
            const int difference = CancelerSample(window + k + j) - CancelerSample(inst + w + k + j);
            if (difference <= kTolerance && difference >= -kTolerance) ++score;
        }
    }
    return score;
}

SearchEnd AlignmentSearch::LoadWindow(const SampleReader& original, std::uint64_t from, std::uint32_t bytes,
                                      const std::atomic<int>& running) {
    window_bytes_ = 0;
    pairs_ = 0;
    const std::uint32_t most = PairsIn(bytes);
    if (!Resize(bounds_, 16 * (static_cast<std::size_t>(most) * 2 / kLaneSamples + 1))) return SearchEnd::kNoMemory;
    std::vector<std::uint8_t> block;
    if (!Resize(block, std::min(bytes, kReadBlockBytes))) return SearchEnd::kNoMemory;
    while (window_bytes_ < bytes) {
        if (running.load() < 1) return SearchEnd::kStopped;
        const std::uint32_t ask = std::min(bytes - window_bytes_, kReadBlockBytes);
        const std::uint32_t got = original(from + window_bytes_, block.data(), ask);
        for (std::uint32_t k = 0; k + 4 <= got; k += AlignmentStrideBytes) {
            const std::uint32_t sample = 2 * ((window_bytes_ + k) / AlignmentStrideBytes);
            for (std::uint32_t j = 0; j < 2; ++j) {
                const int held = Held(block.data() + k + 2 * j);
                const int low = std::max(held - kTolerance, -32768), high = std::min(held + kTolerance, 32767);
                const std::size_t at = 16 * ((sample + j) / kLaneSamples) + (sample + j) % kLaneSamples;
                bounds_[at] = static_cast<std::int16_t>(low ^ 0x8000);
                bounds_[at + 8] = static_cast<std::int16_t>(high - low - 32768);
            }
        }
        window_bytes_ += got;
        if (got < ask) break;  // the data ends here
    }
    pairs_ = PairsIn(window_bytes_);
    return SearchEnd::kDone;
}

SearchEnd AlignmentSearch::Score(const SampleReader& inst, std::uint32_t instBytes, const AlignmentRange& range,
                                 LaneRunner& lanes, const std::atomic<int>& running, const ScoreSink& sink) {
    const std::uint64_t end = std::min<std::uint64_t>(range.end, instBytes);
    const std::uint32_t step = range.step;
    if (range.first >= end || step == 0 || AlignmentStrideBytes % step != 0) return SearchEnd::kDone;
    const std::uint64_t lastRow = (end - 1) / AlignmentStrideBytes;
    InstRegion region;
    region.step = step;
    region.phases = AlignmentStrideBytes / step;
    std::vector<int> scores;
    // Short windows take many rows per batch, so that starting the lanes stays cheap beside the work.
    const std::uint64_t rowVectors = std::uint64_t{region.phases} * (pairs_ / 4 + 1);
    const std::uint64_t batchRows =
        std::clamp<std::uint64_t>(kBatchVectors / rowVectors / kUnitRows * kUnitRows, kUnitRows, kMostBatchRows);
    for (std::uint64_t chunkRow = range.first / AlignmentStrideBytes; chunkRow <= lastRow; chunkRow += kChunkRows) {
        const std::uint64_t chunkEnd = std::min(chunkRow + kChunkRows, lastRow + 1);
        region.firstRow = chunkRow;
        region.rows = static_cast<std::uint32_t>(chunkEnd - chunkRow) + pairs_;
        const SearchEnd gathered = GatherRegion(inst, instBytes, region, running);
        if (gathered != SearchEnd::kDone) return gathered;
        for (std::uint64_t batchRow = chunkRow; batchRow < chunkEnd; batchRow += batchRows) {
            const std::uint64_t batchEnd = std::min(batchRow + batchRows, chunkEnd);
            const std::uint64_t first = std::max(range.first, batchRow * AlignmentStrideBytes);
            const std::uint64_t last = std::min(end, batchEnd * AlignmentStrideBytes);  // exclusive
            // Offsets stay on the range's grid: rows start at multiples of the step.
            if (!Resize(scores, static_cast<std::size_t>((last - first + step - 1) / step))) {
                return SearchEnd::kNoMemory;
            }
            const auto unitsPerPhase = static_cast<std::uint32_t>((batchEnd - batchRow + kUnitRows - 1) / kUnitRows);
            const std::uint32_t units = unitsPerPhase * region.phases;
            lanes.RunLanes([&](int lane) {
                for (std::uint32_t u = static_cast<std::uint32_t>(lane); u < units;
                     u += static_cast<std::uint32_t>(lanes.Lanes())) {
                    if (running.load() < 1) return;
                    const std::uint32_t phase = u / unitsPerPhase;
                    const std::uint64_t row = batchRow + (u % unitsPerPhase) * kUnitRows;
                    ScoreUnit(bounds_.data(), pairs_, region, phase, row,
                              std::min<std::uint64_t>(row + kUnitRows, batchEnd), instBytes, first, last, scores);
                }
            });
            if (running.load() < 1) return SearchEnd::kStopped;
            sink(first, scores);
        }
    }
    return SearchEnd::kDone;
}
