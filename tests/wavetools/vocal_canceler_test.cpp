// The vocal canceler on its sample rules and on synthetic stereo signals: a centre voice is
// removed and side content kept, the quieter channel is taken, an instrumental track is found
// and subtracted, and the output files carry correct headers and lengths.
#include "wavetools/vocal_canceler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::uint32_t Le(const std::vector<std::uint8_t>& b, std::size_t at, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | b[at + static_cast<std::size_t>(i)];
    return v;
}

// 16-bit samples, interleaved.
std::vector<std::uint8_t> Pcm(const std::vector<int>& samples) {
    std::vector<std::uint8_t> out(samples.size() * 2);
    for (std::size_t i = 0; i < samples.size(); ++i) PutCancelerSample(&out[i * 2], samples[i]);
    return out;
}

std::vector<int> Samples(const std::vector<std::uint8_t>& pcm, std::size_t from = 0) {
    std::vector<int> out;
    for (std::size_t i = from; i + 1 < pcm.size(); i += 2) out.push_back(static_cast<std::int16_t>(Le(pcm, i, 2)));
    return out;
}

// A fresh directory per test, holding o.wav (Original), i.wav (Inst) and out.wav.
struct TempDir {
    fs::path path = fs::temp_directory_path() /
                    ("vcancel_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    TempDir() { fs::create_directories(path); }
    ~TempDir() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
    std::string File(const std::string& name) const { return (path / name).string(); }
};

void WriteWave(const std::string& path, int rate, int channels, const std::vector<int>& samples) {
    const std::vector<std::uint8_t> data = Pcm(samples);
    const auto header = CancelerHeader(static_cast<std::uint32_t>(rate), static_cast<std::uint16_t>(channels),
                                       static_cast<std::uint32_t>(data.size()));
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(header.data()), static_cast<std::streamsize>(header.size()));
    out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

struct RecordingView : CancelerView {
    std::vector<std::string> messages;
    int positions = 0;
    int last_work = -1;
    void ResetWorkProgress() override { last_work = 0; }
    void WorkProgress(int percent) override { last_work = percent; }
    void ResetSearchProgress() override {}
    void SearchProgress(int) override {}
    void SearchPosition(const std::string&) override { ++positions; }
    void BestFound(const std::string&, const std::string&, const std::string&) override {}
    void Message(const std::string& text, const std::string&) override { messages.push_back(text); }
    void Debug(const std::string&) override {}
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

void ExpectHeader(const std::vector<std::uint8_t>& file, std::uint32_t rate, std::uint32_t channels,
                  std::uint32_t data) {
    ASSERT_EQ(file.size(), data + 44u);
    EXPECT_EQ(std::string(file.begin(), file.begin() + 4), "RIFF");
    EXPECT_EQ(std::string(file.begin() + 8, file.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(std::string(file.begin() + 36, file.begin() + 40), "data");
    const std::uint32_t fields[][3] = {
        {4, 4, data + 36},     {20, 2, 1},  {22, 2, channels}, {24, 4, rate}, {28, 4, rate * channels * 2},
        {32, 2, channels * 2}, {34, 2, 16}, {40, 4, data}};
    for (const auto& f : fields) EXPECT_EQ(Le(file, f[0], static_cast<int>(f[1])), f[2]) << "at " << f[0];
}

TEST(CancelerSample, ReadsSignedWith8000AsPositive) {
    const std::uint8_t top[2] = {0xFF, 0x7F}, min[2] = {0x00, 0x80}, minus1[2] = {0xFF, 0xFF};
    EXPECT_EQ(CancelerSample(top), 32767);
    EXPECT_EQ(CancelerSample(min), 32768);
    EXPECT_EQ(CancelerSample(minus1), -1);
}

TEST(CancelerBlocks, KaraokeSubtractsModulo16BitsAndGetVocalTakesTheQuieterChannel) {
    struct Case {
        int left, right, karaoke, vocal;
    };
    const Case cases[] = {{1000, -200, 1200, -200},
                          {-200, 1000, -1200, -200},
                          {-7, 7, -14, 0},
                          {32767, -32767, -2, 0}};  // 65534 wraps, no clipping
    for (const Case& c : cases) {
        const auto in = Pcm({c.left, c.right});
        std::uint8_t k[2] = {}, v[2] = {};
        ASSERT_EQ(KaraokeBlock(in.data(), 4, k), 2u);
        ASSERT_EQ(GetVocalBlock(in.data(), 4, v), 2u);
        EXPECT_EQ(static_cast<std::int16_t>(k[0] | k[1] << 8), c.karaoke) << c.left << " " << c.right;
        EXPECT_EQ(static_cast<std::int16_t>(v[0] | v[1] << 8), c.vocal) << c.left << " " << c.right;
    }
}

TEST(CancelerBlocks, OnlyWholeFramesAndSharedSamplesAreProcessed) {
    std::vector<std::uint8_t> in = Pcm({1, 2, 3, 4, 5});
    std::vector<std::uint8_t> out(16);
    EXPECT_EQ(KaraokeBlock(in.data(), static_cast<std::uint32_t>(in.size()), out.data()), 4u);
    EXPECT_EQ(GetVocalBlock(in.data(), 7, out.data()), 2u);
    const auto other = Pcm({1, 1});
    EXPECT_EQ(SubtractBlock(in.data(), 10, other.data(), 4, out.data()), 4u);
    EXPECT_EQ(Samples(std::vector<std::uint8_t>(out.begin(), out.begin() + 4)), (std::vector<int>{0, 1}));
}

TEST(CancelerMeasures, WorkPercentMsToFrameBytesAndSoundThreshold) {
    EXPECT_EQ(WorkPercent(0, 0), 100);
    EXPECT_EQ(WorkPercent(1000, 333), 66);
    EXPECT_EQ(MsToFrameBytes(500, 11025, 16, 1), 11024u);  // 5512.5 frames: whole frames only
    EXPECT_EQ(MsToFrameBytes(-5, 44100, 16, 2), 0u);
    // More than two thirds of the samples must exceed 100.
    for (const int loud : {20, 21}) {
        std::vector<int> s(static_cast<std::size_t>(loud), 101);
        s.resize(30, 100);
        const auto pcm = Pcm(s);
        EXPECT_EQ(IsSoundBlock(pcm.data(), static_cast<std::uint32_t>(pcm.size())), loud == 21);
    }
}

TEST(AlignmentScore, CountsNearEqualPairsEverySixthFrame) {
    const auto inst = Pcm(Noise(4000, 7));
    const auto instBytes = static_cast<std::uint32_t>(inst.size());
    // The Original is the Inst from frame 100 on, with a small offset within the tolerance.
    std::vector<int> window = Samples(inst, 400);
    for (auto& v : window) v += 4;
    const auto w = Pcm(window);
    const auto n = static_cast<std::uint32_t>(w.size());
    const int full = AlignmentScore(w.data(), n, inst.data(), instBytes, 400);
    EXPECT_EQ(full, static_cast<int>((n - 4) / 24 + 1) * 2);
    EXPECT_LT(AlignmentScore(w.data(), n, inst.data(), instBytes, 404), full / 20);
    for (auto& v : window) v += 1;  // 5 apart no longer counts
    const auto off = Pcm(window);
    EXPECT_LT(AlignmentScore(off.data(), n, inst.data(), instBytes, 400), full / 20);
}

TEST(PrepareCancelerJob, RefusesUnusableInputs) {
    // A channel count or rate of 0 leaves that file out.
    struct Case {
        const char* name;
        int mode, originalChannels, instRate;
        bool hasOutput;
        int result;
    };
    const Case cases[] = {
        {"no output path", kCancelKaraoke, 2, 8000, false, 3},
        {"missing original", kCancelKaraoke, 0, 8000, true, 1},
        {"mono original for karaoke", kCancelKaraoke, 1, 8000, true, 1},
        {"get vocal without inst", kCancelGetVocal, 2, 0, true, 1},
        {"with inst, other rate", kCancelWithInst, 2, 16000, true, 2},
    };
    for (const Case& c : cases) {
        TempDir dir;
        if (c.originalChannels) WriteWave(dir.File("o.wav"), 8000, c.originalChannels, std::vector<int>(200, 1));
        if (c.instRate) WriteWave(dir.File("i.wav"), c.instRate, 2, std::vector<int>(200, 1));
        CancelerSettings settings;
        settings.mode = c.mode;
        CancelerJob job;
        EXPECT_EQ(PrepareCancelerJob(dir.File("o.wav"), dir.File("i.wav"), c.hasOutput ? dir.File("out.wav") : "",
                                     settings, job),
                  c.result)
            << c.name;
        EXPECT_EQ(job.original.file, nullptr) << c.name;
        ReleaseCancelerJob(job);
    }
}

// Runs one mode over o.wav and i.wav and returns the output file's bytes.
std::vector<std::uint8_t> RunMode(const TempDir& dir, int mode, RecordingView& view, int& result, int worker_state = 1,
                                  std::uint32_t* best = nullptr) {
    CancelerSettings settings;
    settings.mode = mode;
    CancelerJob job;
    EXPECT_EQ(PrepareCancelerJob(dir.File("o.wav"), dir.File("i.wav"), dir.File("out.wav"), settings, job), 0);
    const std::atomic<int> worker{worker_state};
    result = RunCanceler(job, view, worker, best);
    EXPECT_EQ(job.original.file, nullptr);
    EXPECT_EQ(job.inst.buffer, nullptr);
    std::ifstream in(dir.File("out.wav"), std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

TEST(MonoModes, CentreVoiceRemovedQuieterChannelKeptStoppedRunStillValid) {
    std::vector<int> stereo, side;
    for (std::size_t f = 0; f < 6000; ++f) {
        const int voice = Sine(440, 8000, f, 9000), guitar = Sine(700, 8000, f, 5000), bass = Sine(110, 8000, f, 4000);
        stereo.insert(stereo.end(), {voice + guitar, voice + bass});
        side.push_back(guitar - bass);
    }
    struct Case {
        const char* name;
        int mode, worker;
        std::vector<int> in, out;
        int result;
    };
    const Case cases[] = {
        {"karaoke", kCancelKaraoke, 1, stereo, side, kCancelDone},
        {"get vocal", kCancelGetVocal, 1, {1000, -200, 5, 5, -300, 40, 7, -7}, {-200, 0, 40, 0}, kCancelDone},
        {"stopped before the first block", kCancelKaraoke, -1, stereo, {}, kCancelStopped},
    };
    for (const Case& c : cases) {
        TempDir dir;
        WriteWave(dir.File("o.wav"), 8000, 2, c.in);
        WriteWave(dir.File("i.wav"), 8000, 2, {0, 0});
        RecordingView view;
        int result = 0;
        const auto file = RunMode(dir, c.mode, view, result, c.worker);
        EXPECT_EQ(result, c.result) << c.name;
        ExpectHeader(file, 8000, 1, static_cast<std::uint32_t>(c.out.size() * 2));
        EXPECT_EQ(Samples(file, 44), c.out) << c.name;
        if (c.result == kCancelDone) {
            EXPECT_EQ(view.last_work, 100) << c.name;
        }
        EXPECT_TRUE(view.messages.empty()) << c.name;
    }
}

TEST(WithInst, FindsTheInstrumentalAndLeavesTheVoice) {
    constexpr std::size_t kSong = 16000, kSilence = 4000;  // frames after the Inst's intro; before the voice
    // The later file is skipped so that both line up; the output runs while both have data.
    struct Case {
        const char* name;
        std::size_t intro_frames;
        int worker;
        std::uint32_t bytes;
        std::size_t songAt;
    };
    const Case cases[] = {
        {"inst ahead of the original", 2000, 1, (2000 + kSong) * 4, 4000},
        {"inst behind the original", 6000, 1, (kSilence + kSong) * 4, 8000},
        {"stopped search keeps offset 0", 0, -1, kSong * 4, 0},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const std::vector<int> inst = Noise((c.intro_frames + kSong) * 2, 11);
        std::vector<int> original(kSilence * 2, 0), voice;
        for (std::size_t f = 0; f < kSong; ++f) {
            const int v = f >= kSong / 2 ? Sine(523, 8000, f, 3000) : 0;
            voice.insert(voice.end(), {v, v});
            for (int ch = 0; ch < 2; ++ch) original.push_back(inst[(c.intro_frames + f) * 2 + ch] + v);
        }
        WriteWave(dir.File("o.wav"), 8000, 2, original);
        WriteWave(dir.File("i.wav"), 8000, 2, inst);
        RecordingView view;
        int result = 0;
        std::uint32_t best = 99;
        const auto file = RunMode(dir, kCancelWithInst, view, result, c.worker, &best);
        EXPECT_EQ(result, kCancelDone) << c.name;
        EXPECT_EQ(best, c.intro_frames * 4) << c.name;
        ExpectHeader(file, 8000, 2, c.bytes);
        const auto out = Samples(file, 44);
        ASSERT_LE(c.songAt + voice.size(), out.size()) << c.name;
        EXPECT_TRUE(std::equal(voice.begin(), voice.end(), out.begin() + static_cast<std::ptrdiff_t>(c.songAt)))
            << c.name;
        if (c.worker > 0) {
            EXPECT_EQ(view.positions, 8000) << c.name;
        }  // one per frame of the 1,000 ms range
    }
}

TEST(RunCanceler, FailuresAreReportedOnce) {
    TempDir dir;
    WriteWave(dir.File("o.wav"), 8000, 2, std::vector<int>(16000, 100));  // never louder than 100
    WriteWave(dir.File("i.wav"), 8000, 2, Noise(16000, 5));
    RecordingView view;
    int result = 0;
    const auto file = RunMode(dir, kCancelWithInst, view, result);
    EXPECT_EQ(result, kCancelFailed);
    EXPECT_EQ(view.messages, std::vector<std::string>{"音だしの頭が見つかりません"});
    ExpectHeader(file, 8000, 2, 0);
    CancelerJob job;
    ASSERT_EQ(PrepareCancelerJob(dir.File("i.wav"), "", dir.File("no/such/dir/out.wav"), CancelerSettings{}, job), 0);
    const std::atomic<int> worker{1};
    EXPECT_EQ(RunCanceler(job, view, worker), kCancelFailed) << "an output that cannot be created";
    EXPECT_EQ(view.messages.size(), 2u);
    EXPECT_EQ(job.original.file, nullptr);
}

}  // namespace
