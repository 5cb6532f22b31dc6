// The vocal canceler against its definition and on synthetic stereo signals: a centre voice is
// removed and side content kept, the quieter channel is taken, an instrumental track is found
// and subtracted, and the output files carry correct headers and lengths.
#include "wavetools/vocal_canceler.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::uint32_t Le32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}
int Le16(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | b[at + 1] << 8;
}

// 16-bit samples, interleaved.
std::vector<std::uint8_t> Pcm(const std::vector<int>& samples) {
    std::vector<std::uint8_t> out(samples.size() * 2);
    for (std::size_t i = 0; i < samples.size(); ++i) PutCancelerSample(&out[i * 2], samples[i]);
    return out;
}

std::vector<int> Samples(const std::vector<std::uint8_t>& pcm, std::size_t from = 0) {
    std::vector<int> out;
    for (std::size_t i = from; i + 1 < pcm.size(); i += 2) out.push_back(static_cast<std::int16_t>(Le16(pcm, i)));
    return out;
}

class TempDir {
  public:
    TempDir() {
        path_ = fs::temp_directory_path() /
                ("vcancel_" + std::to_string(reinterpret_cast<std::uintptr_t>(this)) + "_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

  private:
    fs::path path_;
};

void WriteWave(const std::string& path, int rate, int channels, const std::vector<int>& samples) {
    const std::vector<std::uint8_t> data = Pcm(samples);
    const auto header = CancelerHeader(static_cast<std::uint32_t>(rate), static_cast<std::uint16_t>(channels),
                                       static_cast<std::uint32_t>(data.size()));
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(header.data()), static_cast<std::streamsize>(header.size()));
    out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

std::vector<std::uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

struct RecordingView : CancelerView {
    std::vector<std::string> messages;
    std::vector<std::string> debug;
    int positions = 0;
    int last_work = -1;
    int bests = 0;
    void ResetWorkProgress() override { last_work = 0; }
    void WorkProgress(int percent) override { last_work = percent; }
    void ResetSearchProgress() override {}
    void SearchProgress(int) override {}
    void SearchPosition(const std::string&) override { ++positions; }
    void BestFound(const std::string&, const std::string&, const std::string&) override { ++bests; }
    void Message(const std::string& text, const std::string&) override { messages.push_back(text); }
    void Debug(const std::string& line) override { debug.push_back(line); }
};

// A deterministic loud noise (|x| well above 100 almost everywhere), standing in for a backing track.
std::vector<int> Noise(std::size_t count, std::uint32_t seed) {
    std::vector<int> out(count);
    for (auto& v : out) {
        seed = seed * 1664525u + 1013904223u;
        v = static_cast<int>((seed >> 16) % 16001) - 8000;
    }
    return out;
}

int Sine(double hz, int rate, std::size_t frame, double amplitude) {
    return static_cast<int>(std::lround(amplitude * std::sin(2 * M_PI * hz * static_cast<double>(frame) / rate)));
}

double Correlation(const std::vector<int>& a, const std::vector<int>& b) {
    double ab = 0, aa = 0, bb = 0;
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
        ab += static_cast<double>(a[i]) * b[i];
        aa += static_cast<double>(a[i]) * a[i];
        bb += static_cast<double>(b[i]) * b[i];
    }
    return aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 0.0;
}

struct HeaderCheck {
    std::uint32_t rate;
    int channels;
    std::uint32_t data;
};

void ExpectHeader(const std::vector<std::uint8_t>& file, const HeaderCheck& h) {
    ASSERT_GE(file.size(), 44u);
    EXPECT_EQ(std::string(file.begin(), file.begin() + 4), "RIFF");
    EXPECT_EQ(std::string(file.begin() + 8, file.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(Le32(file, 4), h.data + 36);
    EXPECT_EQ(Le16(file, 20), 1);
    EXPECT_EQ(Le16(file, 22), h.channels);
    EXPECT_EQ(Le32(file, 24), h.rate);
    EXPECT_EQ(Le32(file, 28), h.rate * static_cast<std::uint32_t>(h.channels) * 2);
    EXPECT_EQ(Le16(file, 32), h.channels * 2);
    EXPECT_EQ(Le16(file, 34), 16);
    EXPECT_EQ(std::string(file.begin() + 36, file.begin() + 40), "data");
    EXPECT_EQ(Le32(file, 40), h.data);
    EXPECT_EQ(file.size(), h.data + 44u);
}

TEST(CancelerSample, ReadsSignedWith8000AsPositive) {
    struct Case { std::uint8_t lo, hi; int value; };
    const Case cases[] = {{0x00, 0x00, 0}, {0xFF, 0x7F, 32767}, {0x01, 0x80, -32767},
                          {0x00, 0x80, 32768}, {0xFF, 0xFF, -1}, {0x18, 0xFC, -1000}};
    for (const Case& c : cases) {
        const std::uint8_t bytes[2] = {c.lo, c.hi};
        EXPECT_EQ(CancelerSample(bytes), c.value) << int(c.lo) << "," << int(c.hi);
    }
}

TEST(KaraokeBlock, LeftMinusRightModulo16Bits) {
    struct Case { int left, right, out; };
    const Case cases[] = {{1000, 1000, 0},      {1000, -200, 1200},    {-5, 5, -10},
                          {32767, -32767, -2},  // 65534 wraps, no clipping
                          {-32768, 1, 32767},   // 0x8000 counts as +32768
                          {0, 0, 0}};
    for (const Case& c : cases) {
        const auto in = Pcm({c.left, c.right});
        std::uint8_t out[2] = {};
        ASSERT_EQ(KaraokeBlock(in.data(), 4, out), 2u);
        EXPECT_EQ(static_cast<std::int16_t>(out[0] | out[1] << 8), c.out) << c.left << " " << c.right;
    }
}

TEST(GetVocalBlock, TakesTheQuieterChannel) {
    struct Case { int left, right, out; };
    const Case cases[] = {{1000, -200, -200}, {-200, 1000, -200}, {300, 300, 0},
                          {-7, 7, 0},         {0, 500, 0},        {-32768, 32767, 32767}};
    for (const Case& c : cases) {
        const auto in = Pcm({c.left, c.right});
        std::uint8_t out[2] = {};
        ASSERT_EQ(GetVocalBlock(in.data(), 4, out), 2u);
        EXPECT_EQ(static_cast<std::int16_t>(out[0] | out[1] << 8), c.out) << c.left << " " << c.right;
    }
}

TEST(Blocks, OnlyWholeFramesAndSharedSamplesAreProcessed) {
    std::vector<std::uint8_t> in = Pcm({1, 2, 3, 4, 5});
    std::vector<std::uint8_t> out(16);
    EXPECT_EQ(KaraokeBlock(in.data(), static_cast<std::uint32_t>(in.size()), out.data()), 4u);
    EXPECT_EQ(GetVocalBlock(in.data(), 7, out.data()), 2u);
    const auto other = Pcm({1, 1});
    EXPECT_EQ(SubtractBlock(in.data(), 10, other.data(), 4, out.data()), 4u);
    EXPECT_EQ(Samples(std::vector<std::uint8_t>(out.begin(), out.begin() + 4)), (std::vector<int>{0, 1}));
}

TEST(WorkPercent, FollowsConsumedBytes) {
    struct Case { std::uint32_t start, left; int percent; };
    const Case cases[] = {{0, 0, 100}, {1000, 1000, 0}, {1000, 0, 100}, {1000, 333, 66}, {3, 2, 33}};
    for (const Case& c : cases) EXPECT_EQ(WorkPercent(c.start, c.left), c.percent) << c.start << " " << c.left;
}

TEST(IsSoundBlock, NeedsTwoThirdsOfSamplesAbove100) {
    struct Case { int loud, quiet; bool sound; };
    const Case cases[] = {{0, 30, false}, {20, 10, false}, {21, 9, true}, {30, 0, true}};
    for (const Case& c : cases) {
        std::vector<int> s(static_cast<std::size_t>(c.loud), 101);
        s.insert(s.end(), static_cast<std::size_t>(c.quiet), 100);
        const auto pcm = Pcm(s);
        EXPECT_EQ(IsSoundBlock(pcm.data(), static_cast<std::uint32_t>(pcm.size())), c.sound) << c.loud;
    }
}

TEST(AlignmentScore, CountsNearEqualPairsEverySixthFrame) {
    const auto inst = Pcm(Noise(4000, 7));
    // The Original is the Inst from frame 100 on, with a small offset within the tolerance.
    std::vector<int> window = Samples(inst, 400);
    for (auto& v : window) v += 4;
    const auto w = Pcm(window);
    const auto n = static_cast<std::uint32_t>(w.size());
    const int full = AlignmentScore(w.data(), n, inst.data(), static_cast<std::uint32_t>(inst.size()), 400);
    EXPECT_EQ(full, static_cast<int>((n - 4) / 24 + 1) * 2);
    EXPECT_LT(AlignmentScore(w.data(), n, inst.data(), static_cast<std::uint32_t>(inst.size()), 404), full / 20);
    for (auto& v : window) v += 1;  // 5 apart no longer counts
    const auto off = Pcm(window);
    EXPECT_LT(AlignmentScore(off.data(), n, inst.data(), static_cast<std::uint32_t>(inst.size()), 400), full / 20);
}

TEST(MsToFrameBytes, WholeFramesOnly) {
    struct Case { std::int64_t ms; int rate, bits, channels; std::uint32_t bytes; };
    const Case cases[] = {{1000, 44100, 16, 2, 176400}, {1, 44100, 16, 2, 176}, {-5, 44100, 16, 2, 0},
                          {500, 11025, 16, 1, 11024},   {0, 8000, 16, 2, 0}};
    for (const Case& c : cases) EXPECT_EQ(MsToFrameBytes(c.ms, c.rate, c.bits, c.channels), c.bytes) << c.ms;
}

struct PrepareCase {
    const char* name;
    int mode;
    int originalChannels, instRate;
    bool hasOriginal, hasInst, hasOutput;
    int result;
};

TEST(PrepareCancelerJob, ChecksInputsBeforeARun) {
    const PrepareCase cases[] = {
        {"karaoke needs no inst", kCancelKaraoke, 2, 8000, true, false, true, 0},
        {"no output path", kCancelKaraoke, 2, 8000, true, true, false, 3},
        {"missing original", kCancelKaraoke, 2, 8000, false, true, true, 1},
        {"mono original for karaoke", kCancelKaraoke, 1, 8000, true, true, true, 1},
        {"get vocal without inst", kCancelGetVocal, 2, 8000, true, false, true, 1},
        {"with inst, same formats", kCancelWithInst, 2, 8000, true, true, true, 0},
        {"with inst, channel counts differ", kCancelWithInst, 1, 8000, true, true, true, 2},
        {"with inst, other rate", kCancelWithInst, 2, 16000, true, true, true, 2},
    };
    TempDir dir;
    for (const PrepareCase& c : cases) {
        const std::string original = dir.File("o.wav"), inst = dir.File("i.wav");
        fs::remove(original);
        fs::remove(inst);
        if (c.hasOriginal) WriteWave(original, 8000, c.originalChannels, std::vector<int>(200, 1));
        if (c.hasInst) WriteWave(inst, c.instRate, 2, std::vector<int>(200, 1));
        CancelerSettings settings;
        settings.mode = c.mode;
        CancelerJob job;
        EXPECT_EQ(PrepareCancelerJob(original, inst, c.hasOutput ? dir.File("out.wav") : "", settings, job),
                  c.result)
            << c.name;
        EXPECT_EQ(job.original.file != nullptr, c.result == 0) << c.name;
        ReleaseCancelerJob(job);
    }
}

// Runs one mode over the given files and returns the output file's bytes.
std::vector<std::uint8_t> RunMode(const TempDir& dir, const CancelerSettings& settings, RecordingView& view,
                                  int& result, int worker_state = 1, std::uint32_t* best = nullptr) {
    CancelerJob job;
    const std::string out = dir.File("out.wav");
    EXPECT_EQ(PrepareCancelerJob(dir.File("o.wav"), dir.File("i.wav"), out, settings, job), 0);
    const std::atomic<int> worker{worker_state};
    result = RunCanceler(job, view, worker, best);
    EXPECT_EQ(job.original.file, nullptr);
    EXPECT_EQ(job.inst.buffer, nullptr);
    return ReadAll(out);
}

TEST(Karaoke, RemovesTheCentreVoiceAndKeepsSideContent) {
    constexpr int kRate = 8000;
    constexpr std::size_t kFrames = 6000;
    TempDir dir;
    std::vector<int> stereo, voice, side;
    for (std::size_t f = 0; f < kFrames; ++f) {
        const int v = Sine(440, kRate, f, 9000);        // centre: the same in both channels
        const int guitar = Sine(700, kRate, f, 5000);   // left only
        const int bass = Sine(110, kRate, f, 4000);     // right only
        stereo.push_back(v + guitar);
        stereo.push_back(v + bass);
        voice.push_back(v);
        side.push_back(guitar - bass);
    }
    WriteWave(dir.File("o.wav"), kRate, 2, stereo);
    RecordingView view;
    int result = 0;
    const auto file = RunMode(dir, CancelerSettings{}, view, result);
    EXPECT_EQ(result, kCancelDone);
    ExpectHeader(file, {kRate, 1, kFrames * 2});
    const auto out = Samples(file, 44);
    EXPECT_EQ(out, side);
    EXPECT_LT(std::abs(Correlation(out, voice)), 0.02);
    EXPECT_EQ(view.last_work, 100);
    EXPECT_TRUE(view.messages.empty());
}

TEST(Karaoke, IdenticalChannelsGiveSilenceAndTwoRunsEachGetTheirOwnHeader) {
    TempDir dir;
    struct Case { std::size_t frames; int rate; };
    for (const Case c : {Case{5000, 44100}, Case{1234, 22050}}) {
        std::vector<int> stereo;
        for (std::size_t f = 0; f < c.frames; ++f) {
            const int v = Sine(300, c.rate, f, 20000);
            stereo.insert(stereo.end(), {v, v});
        }
        WriteWave(dir.File("o.wav"), c.rate, 2, stereo);
        RecordingView view;
        int result = 0;
        const auto file = RunMode(dir, CancelerSettings{}, view, result);
        ExpectHeader(file, {static_cast<std::uint32_t>(c.rate), 1, static_cast<std::uint32_t>(c.frames * 2)});
        EXPECT_EQ(Samples(file, 44), std::vector<int>(c.frames, 0));
    }
}

TEST(Karaoke, AStopBeforeTheFirstBlockLeavesAnEmptyWellFormedFile) {
    TempDir dir;
    WriteWave(dir.File("o.wav"), 8000, 2, Noise(2000, 3));
    RecordingView view;
    int result = 0;
    const auto file = RunMode(dir, CancelerSettings{}, view, result, -1);
    EXPECT_EQ(result, kCancelStopped);
    ExpectHeader(file, {8000, 1, 0});
}

TEST(GetVocal, TakesTheQuieterChannelAndEndsWithTheInst) {
    TempDir dir;
    const std::vector<int> stereo = {1000, -200, 5, 5, -300, 40, 7, -7};
    WriteWave(dir.File("o.wav"), 8000, 2, stereo);
    WriteWave(dir.File("i.wav"), 8000, 2, {0, 0});
    CancelerSettings settings;
    settings.mode = kCancelGetVocal;
    RecordingView view;
    int result = 0;
    const auto file = RunMode(dir, settings, view, result);
    EXPECT_EQ(result, kCancelDone);
    ExpectHeader(file, {8000, 1, 8});
    EXPECT_EQ(Samples(file, 44), (std::vector<int>{-200, 5 - 5, 40, 0}));
    EXPECT_EQ(view.last_work, 100);
}

struct InstCase {
    const char* name;
    std::size_t silence_frames;  // before the Original's sound starts
    std::size_t intro_frames;    // Inst content that comes before the Original's part
    int worker;                  // 1 running, -1 stop asked for before the search
};

TEST(WithInst, FindsTheInstrumentalAndLeavesTheVoice) {
    constexpr int kRate = 8000;
    constexpr std::size_t kSong = 16000;        // frames of the instrumental after its intro
    constexpr std::size_t kVoiceFrom = 8000;    // the voice enters one second into the song
    const InstCase cases[] = {
        {"inst ahead of the original", 4000, 2000, 1},
        {"inst behind the original", 4000, 6000, 1},
        {"stopped search keeps offset 0", 4000, 0, -1},
    };
    for (const InstCase& c : cases) {
        TempDir dir;
        const std::vector<int> inst = Noise((c.intro_frames + kSong) * 2, 11);
        std::vector<int> original(c.silence_frames * 2, 0), voice;
        for (std::size_t f = 0; f < kSong; ++f) {
            const int v = f >= kVoiceFrom ? Sine(523, kRate, f, 3000) : 0;
            voice.insert(voice.end(), {v, v});
            for (int ch = 0; ch < 2; ++ch) original.push_back(inst[(c.intro_frames + f) * 2 + ch] + v);
        }
        WriteWave(dir.File("o.wav"), kRate, 2, original);
        WriteWave(dir.File("i.wav"), kRate, 2, inst);
        CancelerSettings settings;
        settings.mode = kCancelWithInst;
        RecordingView view;
        int result = 0;
        std::uint32_t best = 99;
        const auto file = RunMode(dir, settings, view, result, c.worker, &best);
        EXPECT_EQ(result, kCancelDone) << c.name;
        const std::uint32_t h = static_cast<std::uint32_t>(c.silence_frames * 4);
        const std::uint32_t expectBest = static_cast<std::uint32_t>(c.intro_frames * 4);
        EXPECT_EQ(best, expectBest) << c.name;
        // The later file is skipped so that both line up; the output runs while both have data.
        const std::uint32_t originalLeft = static_cast<std::uint32_t>(original.size() * 2) - (best < h ? h - best : 0);
        const std::uint32_t instLeft = static_cast<std::uint32_t>(inst.size() * 2) - (best > h ? best - h : 0);
        ExpectHeader(file, {kRate, 2, std::min(originalLeft, instLeft)});
        const auto out = Samples(file, 44);
        const std::size_t songAt = std::min(best, h) / 2;  // where the Original's sound lands
        ASSERT_LE(songAt + voice.size(), out.size()) << c.name;
        EXPECT_TRUE(std::equal(voice.begin(), voice.end(), out.begin() + static_cast<std::ptrdiff_t>(songAt)))
            << c.name;
        if (c.worker > 0) {
            EXPECT_EQ(view.positions, kRate) << c.name;  // one per frame of the 1,000 ms range
            ASSERT_FALSE(view.debug.empty());
            EXPECT_EQ(view.debug.back().rfind("SAME->", 0), 0u);
        }
    }
}

TEST(WithInst, ASilentOriginalHasNoStartOfSound) {
    TempDir dir;
    WriteWave(dir.File("o.wav"), 8000, 2, std::vector<int>(16000, 100));
    WriteWave(dir.File("i.wav"), 8000, 2, Noise(16000, 5));
    CancelerSettings settings;
    settings.mode = kCancelWithInst;
    RecordingView view;
    int result = 0;
    const auto file = RunMode(dir, settings, view, result);
    EXPECT_EQ(result, kCancelFailed);
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0], "音だしの頭が見つかりません");
    ExpectHeader(file, {8000, 2, 0});
}

TEST(RunCanceler, AnOutputThatCannotBeCreatedIsReported) {
    TempDir dir;
    WriteWave(dir.File("o.wav"), 8000, 2, Noise(200, 1));
    CancelerJob job;
    ASSERT_EQ(PrepareCancelerJob(dir.File("o.wav"), "", dir.File("no/such/dir/out.wav"), CancelerSettings{}, job), 0);
    RecordingView view;
    const std::atomic<int> worker{1};
    EXPECT_EQ(RunCanceler(job, view, worker), kCancelFailed);
    EXPECT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(job.original.file, nullptr);
}

}  // namespace
