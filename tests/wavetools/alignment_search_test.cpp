// The fast alignment search against the plain one-offset-at-a-time score: the same score at every
// offset, on a music-like pair and on data chosen to break vector tricks (silence, full-scale
// squares, the 0x8000 sample, differences right at the tolerance, ties), in mono and stereo, on one
// lane and several, and across the Inst's read blocks and gathered regions (a case too slow for the
// ThreadSanitizer run, which leaves it out).
#include "wavetools/alignment_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "wavetools/thread_lanes.h"
#include "wavetools/vocal_canceler.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Pcm(const std::vector<int>& samples) {
    Bytes out(samples.size() * 2);
    for (std::size_t i = 0; i < samples.size(); ++i) PutCancelerSample(&out[i * 2], samples[i]);
    return out;
}

std::vector<int> Noise(std::size_t count, std::uint32_t seed, int amplitude) {
    std::vector<int> out(count);
    for (auto& v : out) {
        seed = seed * 1664525u + 1013904223u;
        v = static_cast<int>((seed >> 8) % static_cast<std::uint32_t>(2 * amplitude + 1)) - amplitude;
    }
    return out;
}

SampleReader ReaderOf(const Bytes& data) {
    return [&data](std::uint64_t at, std::uint8_t* dest, std::uint32_t bytes) -> std::uint32_t {
        if (at >= data.size()) return 0;
        const auto n = static_cast<std::uint32_t>(std::min<std::uint64_t>(bytes, data.size() - at));
        std::memcpy(dest, data.data() + at, n);
        return n;
    };
}

struct Pair {
    const char* name;
    Bytes window, inst;
    AlignmentRange range;
    int lanes;
};

// A window cut from the Inst at `at` bytes, so that one offset matches well.
Bytes Cut(const Bytes& inst, std::size_t at, std::size_t bytes) {
    return Bytes(inst.begin() + static_cast<std::ptrdiff_t>(at),
                 inst.begin() + static_cast<std::ptrdiff_t>(at + bytes));
}

std::vector<Pair> Pairs() {
    std::vector<Pair> pairs;
    const Bytes music = Pcm(Noise(30000, 3, 9000));
    pairs.push_back({"music, stereo", Cut(music, 4000, 24000), music, {0, 12000, 4}, 1});
    pairs.push_back({"music, stereo, three lanes", Cut(music, 4000, 24000), music, {1200, 13200, 4}, 3});
    pairs.push_back({"music, mono, range past the end", Cut(music, 2002, 10002), music, {40000, 70000, 2}, 2});
    // Every sample at the extremes and right next to the tolerance.
    std::vector<int> square, squareNear;
    for (int i = 0; i < 20000; ++i) {
        const int v = (i / 50) % 2 ? 32768 : -32767;  // 0x8000 reads +32,768
        square.push_back(v);
        squareNear.push_back(v + ((i / 7) % 2 ? 4 : 5) * (v > 0 ? -1 : 1));
    }
    pairs.push_back({"full-scale square, 4 and 5 away", Pcm(squareNear), Pcm(square), {0, 20000, 4}, 1});
    std::vector<int> extremes = Noise(20000, 9, 32767);
    for (std::size_t i = 0; i < extremes.size(); i += 3) extremes[i] = i % 2 ? 32768 : -32767;
    pairs.push_back({"extremes and 0x8000", Cut(Pcm(extremes), 400, 20000), Pcm(extremes), {0, 16000, 4}, 2});
    pairs.push_back({"silence", Bytes(30000, 0), Bytes(40000, 0), {0, 8000, 4}, 1});
    // Equal scores at two offsets: the Inst repeats itself 2,400 bytes later.
    std::vector<int> repeat = Noise(1200, 5, 20000);
    const std::vector<int> head = repeat;
    repeat.insert(repeat.end(), head.begin(), head.end());
    repeat.insert(repeat.end(), head.begin(), head.end());
    pairs.push_back({"equal scores at two offsets", Cut(Pcm(repeat), 0, 2400), Pcm(repeat), {0, 4800, 4}, 1});
    pairs.push_back({"window shorter than a pair", Bytes{1, 2, 3}, music, {0, 400, 4}, 1});
    return pairs;
}

// Long enough for the Inst to be read in two blocks and gathered in two regions.
std::vector<Pair> LongPairs() {
    const Bytes longInst = Pcm(Noise(2700000, 17, 30000));
    return {{"across read blocks", Cut(longInst, 0, 5200000), longInst, {96, 296, 4}, 2},
            {"across gathered regions", Cut(longInst, 100, 100), longInst, {0, 5400000, 4}, 2}};
}

void ExpectPlainScores(const std::vector<Pair>& pairs) {
    for (const Pair& p : pairs) {
        std::atomic<int> running{kCancelerRunning};
        AlignmentSearch search;
        ASSERT_EQ(search.LoadWindow(ReaderOf(p.window), 0, static_cast<std::uint32_t>(p.window.size()), running),
                  SearchEnd::kDone)
            << p.name;
        std::vector<int> fast;
        std::uint64_t next = p.range.first;
        ThreadLanes lanes(p.lanes);
        const auto instBytes = static_cast<std::uint32_t>(p.inst.size());
        const SearchEnd end = search.Score(ReaderOf(p.inst), instBytes, p.range, lanes, running,
                                           [&](std::uint64_t first, const std::vector<int>& scores) {
                                               EXPECT_EQ(first, next) << p.name << ": batches in offset order";
                                               next = first + scores.size() * p.range.step;
                                               fast.insert(fast.end(), scores.begin(), scores.end());
                                           });
        EXPECT_EQ(end, SearchEnd::kDone) << p.name;
        std::vector<int> plain;
        for (std::uint64_t w = p.range.first; w < std::min<std::uint64_t>(p.range.end, instBytes); w += p.range.step) {
            plain.push_back(AlignmentScore(p.window.data(), static_cast<std::uint32_t>(p.window.size()), p.inst.data(),
                                           instBytes, static_cast<std::uint32_t>(w)));
        }
        ASSERT_EQ(fast.size(), plain.size()) << p.name;
        const auto differ = std::mismatch(fast.begin(), fast.end(), plain.begin());
        EXPECT_TRUE(differ.first == fast.end())
            << p.name << ": offset " << p.range.first + (differ.first - fast.begin()) * p.range.step << " scores "
            << *differ.first << " instead of " << *differ.second;
        if (p.window.size() >= 4) {
            EXPECT_GT(*std::max_element(plain.begin(), plain.end()), 0) << p.name << ": something matched";
        }
    }
}

TEST(AlignmentSearch, ScoresEveryOffsetExactlyAsThePlainDefinition) {
    ExpectPlainScores(Pairs());
}

TEST(AlignmentSearch, ScoresAcrossReadBlocksAndGatheredRegions) {
    ExpectPlainScores(LongPairs());
}

TEST(AlignmentSearch, StopsWhenTheRunEnds) {
    const Bytes inst = Pcm(Noise(400000, 21, 9000));
    std::atomic<int> running{kCancelerRunning};
    AlignmentSearch search;
    ASSERT_EQ(search.LoadWindow(ReaderOf(inst), 0, 20000, running), SearchEnd::kDone);
    SingleLane lane;
    int batches = 0;
    const SearchEnd end = search.Score(ReaderOf(inst), static_cast<std::uint32_t>(inst.size()), {0, 400000, 4}, lane,
                                       running, [&](std::uint64_t, const std::vector<int>&) {
                                           ++batches;
                                           running = kCancelerStopAsked;
                                       });
    EXPECT_EQ(end, SearchEnd::kStopped);
    EXPECT_EQ(batches, 1);
    running = kCancelerAborted;
    EXPECT_EQ(search.LoadWindow(ReaderOf(inst), 0, 20000, running), SearchEnd::kStopped);
}

}  // namespace
