// The alignment search on gathered sample pairs: SSE2 compares eight samples against their
// tolerance bounds at once, four offsets share each load of the bounds, and the window is walked
// in cache-sized tiles.
//
// A sample c (-32767..32768, 0x8000 reading +32,768) is held as c - 1, which fits a signed 16-bit
// lane and keeps every difference; a window sample's bounds are (c - 1) -/+ 4 clamped to the lane,
// and an Inst sample outside them is a miss. Clamping never changes a verdict, because no Inst
// sample lies beyond the lane's ends either, so the count equals the plain definition's exactly.
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
constexpr std::uint32_t kLaneSamples = 8;     // samples per vector
constexpr std::uint32_t kGroupRows = 4;       // offsets sharing one load of the bounds
constexpr std::uint32_t kUnitRows = 16;       // offsets of one phase given to a lane at a time
constexpr std::uint32_t kTileVectors = 2048;  // bounds of 32 KB: they stay in the nearest caches
constexpr std::uint64_t kBatchRows = 64;      // rows of offsets between two hand-overs of scores
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

// Misses of K offsets, whose Inst samples start 2 apart from g, over vectors [v0, v1); at most
// 32,767 vectors per call, so that a 16-bit lane cannot overflow.
template <int K>
void CountMisses(const std::int16_t* bounds, const std::int16_t* g, std::uint32_t v0, std::uint32_t v1, int* misses) {
#if defined(__SSE2__)
    __m128i acc[K];
    for (int r = 0; r < K; ++r) acc[r] = _mm_setzero_si128();
    for (std::uint32_t v = v0; v < v1; ++v) {
        const __m128i lo = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bounds + 16 * v));
        const __m128i hi = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bounds + 16 * v + 8));
        for (int r = 0; r < K; ++r) {
            const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(g + 2 * r + kLaneSamples * v));
            acc[r] = _mm_add_epi16(acc[r], _mm_or_si128(_mm_cmpgt_epi16(x, hi), _mm_cmpgt_epi16(lo, x)));
        }
    }
    const __m128i minusOne = _mm_set1_epi16(-1);
    for (int r = 0; r < K; ++r) {
        __m128i sum = _mm_madd_epi16(acc[r], minusOne);  // four 32-bit partial counts
        sum = _mm_add_epi32(sum, _mm_shuffle_epi32(sum, _MM_SHUFFLE(1, 0, 3, 2)));
        sum = _mm_add_epi32(sum, _mm_shuffle_epi32(sum, _MM_SHUFFLE(2, 3, 0, 1)));
        misses[r] += _mm_cvtsi128_si32(sum);
    }
#else
    for (int r = 0; r < K; ++r) {
        for (std::uint32_t v = v0; v < v1; ++v) {
            for (std::uint32_t lane = 0; lane < kLaneSamples; ++lane) {
                const int x = g[2 * r + kLaneSamples * v + lane];
                misses[r] += x > bounds[16 * v + 8 + lane] || x < bounds[16 * v + lane];
            }
        }
    }
#endif
}

// Misses over samples [from, to) one at a time (the tail after the whole vectors).
int CountTailMisses(const std::int16_t* bounds, const std::int16_t* g, std::uint32_t from, std::uint32_t to) {
    int misses = 0;
    for (std::uint32_t s = from; s < to; ++s) {
        const std::size_t at = 16 * (s / kLaneSamples) + s % kLaneSamples;
        misses += g[s] > bounds[at + 8] || g[s] < bounds[at];
    }
    return misses;
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
            if (v < to) CountMisses<kGroupRows>(bounds, row(g * kGroupRows), v, to, misses + g * kGroupRows);
        }
    }
    for (std::uint32_t r = 0; r < rows; ++r) {
        for (std::uint32_t v = common[r / kGroupRows]; v < vectors[r]; v += kTileVectors) {
            CountMisses<1>(bounds, row(r), v, std::min(v + kTileVectors, vectors[r]), misses + r);
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
                const std::size_t at = 16 * ((sample + j) / kLaneSamples) + (sample + j) % kLaneSamples;
                bounds_[at] = static_cast<std::int16_t>(std::max(held - kTolerance, -32768));
                bounds_[at + 8] = static_cast<std::int16_t>(std::min(held + kTolerance, 32767));
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
    for (std::uint64_t chunkRow = range.first / AlignmentStrideBytes; chunkRow <= lastRow; chunkRow += kChunkRows) {
        const std::uint64_t chunkEnd = std::min(chunkRow + kChunkRows, lastRow + 1);
        region.firstRow = chunkRow;
        region.rows = static_cast<std::uint32_t>(chunkEnd - chunkRow) + pairs_;
        const SearchEnd gathered = GatherRegion(inst, instBytes, region, running);
        if (gathered != SearchEnd::kDone) return gathered;
        for (std::uint64_t batchRow = chunkRow; batchRow < chunkEnd; batchRow += kBatchRows) {
            const std::uint64_t batchEnd = std::min(batchRow + kBatchRows, chunkEnd);
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
