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

#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <functional>

#include "wavetools/thread_lanes.h"
#include "wavetools/wave_writer.h"

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

// A fresh directory per test and process (other checkouts may run the same tests at once), holding
// o.wav (Original), i.wav (Inst) and out.wav.
struct TempDir {
    fs::path path = fs::temp_directory_path() /
                    ("vcancel_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "_" +
                     std::to_string(getpid()));
    TempDir() { fs::create_directories(path); }
    ~TempDir() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
    std::string File(const std::string& name) const { return (path / name).string(); }
};

void WriteWave(const std::string& path, int rate, int channels, const std::vector<int>& samples) {
    const std::vector<std::uint8_t> data = Pcm(samples);
    const auto header = MakeWaveHeader(static_cast<std::uint32_t>(rate), static_cast<std::uint16_t>(channels), 16,
                                       static_cast<std::uint32_t>(data.size()));
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(header.data()), static_cast<std::streamsize>(header.size()));
    out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

// Keeps what a run shows; can change the run state at the n-th work or search update (1-based).
struct RecordingView : CancelerView {
    std::vector<std::string> messages;
    SearchStatus search;
    int last_work = -1;
    int work_updates = 0, search_updates = 0;
    std::atomic<int> state{kCancelerRunning};
    int change_at_work = 0, change_at_search = 0, change_to = kCancelerStopAsked;
    void WorkProgress(int percent) override {
        last_work = percent;
        if (++work_updates == change_at_work) state = change_to;
    }
    void SearchProgress(const SearchStatus& status) override {
        search = status;
        if (++search_updates == change_at_search) state = change_to;
    }
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

// The header writer has its own tests; here the format and the length the canceler gives it.
void ExpectHeader(const std::vector<std::uint8_t>& file, std::uint32_t rate, std::uint32_t channels,
                  std::uint32_t data) {
    ASSERT_EQ(file.size(), data + 44u);
    EXPECT_EQ((std::vector<std::uint32_t>{Le(file, 22, 2), Le(file, 24, 4), Le(file, 40, 4)}),
              (std::vector<std::uint32_t>{channels, rate, data}));
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

TEST(CancelerRunState, StopAndAbortChangeOnlyWhatTheyMay) {
    // A stop pressed as the worker ends must leave its idle word alone, not -1 for good.
    struct Case {
        const char* name;
        int before;
        bool abort;
        int after;
        const char* label;  // the Make button's text afterwards, the worker still alive
    };
    const Case cases[] = {
        {"stop while running", kCancelerRunning, false, kCancelerStopAsked, "MAKE"},
        {"stop as the worker ends", kCancelerIdle, false, kCancelerIdle, "RUN"},
        {"stop after an abort", kCancelerAborted, false, kCancelerAborted, "MAKE"},
        {"abort after a stop", kCancelerStopAsked, true, kCancelerAborted, "MAKE"},
        {"abort when idle", kCancelerIdle, true, kCancelerIdle, "RUN"},
    };
    for (const Case& c : cases) {
        std::atomic<int> state{c.before};
        if (c.abort) {
            AbortCanceler(state);
        } else {
            EXPECT_EQ(AskCancelerStop(state), c.before == kCancelerRunning) << c.name;
        }
        EXPECT_EQ(state.load(), c.after) << c.name;
        EXPECT_STREQ(MakeButtonLabel(state.load(), true), c.label) << c.name;
    }
    EXPECT_STREQ(MakeButtonLabel(kCancelerIdle, false), "Make") << "a reopened dialog after the run";
}

TEST(PrepareCancelerJob, RefusesUnusableInputs) {
    // A channel count or rate of 0 leaves that file out.
    struct Case {
        const char* name;
        int mode, originalChannels, instRate;
        const char* output;
        int result;
    };
    const Case cases[] = {
        {"no output path", kCancelKaraoke, 2, 8000, "", kCancelerNoOutput},
        {"missing original", kCancelKaraoke, 0, 8000, "out.wav", kCancelerBadInput},
        {"mono original for karaoke", kCancelKaraoke, 1, 8000, "out.wav", kCancelerBadInput},
        {"get vocal without inst", kCancelGetVocal, 2, 0, "out.wav", kCancelerBadInput},
        {"with inst, other rate", kCancelWithInst, 2, 16000, "out.wav", kCancelerOtherFormats},
        {"output is the original", kCancelKaraoke, 2, 8000, "o.wav", kCancelerOutputIsInput},
        {"output is the inst, spelt otherwise", kCancelGetVocal, 2, 8000, "sub/../I.WAV", kCancelerOutputIsInput},
        {"output is a link to the original", kCancelWithInst, 2, 8000, "link.wav", kCancelerOutputIsInput},
        {"karaoke does not read the inst", kCancelKaraoke, 2, 8000, "i.wav", kCancelerReady},
    };
    for (const Case& c : cases) {
        TempDir dir;
        if (c.originalChannels) WriteWave(dir.File("o.wav"), 8000, c.originalChannels, std::vector<int>(200, 1));
        if (c.instRate) WriteWave(dir.File("i.wav"), c.instRate, 2, std::vector<int>(200, 1));
        if (c.originalChannels) fs::create_hard_link(dir.File("o.wav"), dir.File("link.wav"));
        CancelerSettings settings;
        settings.mode = c.mode;
        CancelerJob job;
        EXPECT_EQ(PrepareCancelerJob(dir.File("o.wav"), dir.File("i.wav"), *c.output ? dir.File(c.output) : "",
                                     settings, job),
                  c.result)
            << c.name;
        EXPECT_EQ(job.original.file != nullptr, c.result == kCancelerReady) << c.name;
        ReleaseCancelerJob(job);
    }
}

constexpr char kOldOutput[] = "the user's older file";

std::vector<std::uint8_t> FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// What a run left beside its inputs: nothing but the output (no temporary file).
void ExpectOnlyInputsAndOutput(const TempDir& dir, const std::string& name) {
    for (const auto& entry : fs::directory_iterator(dir.path)) {
        const std::string file = entry.path().filename().string();
        EXPECT_TRUE(file == "o.wav" || file == "i.wav" || file == "out.wav") << name << ": " << file << " left behind";
    }
}

// Runs the settings over o.wav and i.wav into out.wav, which holds kOldOutput before, and returns
// out.wav's bytes afterwards.
std::vector<std::uint8_t> RunMode(const TempDir& dir, const CancelerSettings& settings, RecordingView& view,
                                  int& result, std::uint32_t* best = nullptr) {
    std::ofstream(dir.File("out.wav"), std::ios::binary) << kOldOutput;
    CancelerJob job;
    EXPECT_EQ(PrepareCancelerJob(dir.File("o.wav"), dir.File("i.wav"), dir.File("out.wav"), settings, job), 0);
    ThreadLanes lanes(2);
    result = RunCanceler(job, view, view.state, lanes, best);
    EXPECT_EQ(job.original.file, nullptr);
    EXPECT_EQ(job.inst.buffer, nullptr);
    ExpectOnlyInputsAndOutput(dir, settings.mode == kCancelWithInst ? "with inst" : "mono");
    return FileBytes(dir.File("out.wav"));
}

CancelerSettings Mode(int mode, int rangeMs = DefaultSearchRangeMs) {
    CancelerSettings settings;
    settings.mode = mode;
    settings.range_ms = rangeMs;
    return settings;
}

bool IsOldOutput(const std::vector<std::uint8_t>& file) {
    return std::string(file.begin(), file.end()) == kOldOutput;
}

TEST(MonoModes, CentreVoiceRemovedAndQuieterChannelKept) {
    std::vector<int> stereo, side;
    for (std::size_t f = 0; f < 6000; ++f) {
        const int voice = Sine(440, 8000, f, 9000), guitar = Sine(700, 8000, f, 5000), bass = Sine(110, 8000, f, 4000);
        stereo.insert(stereo.end(), {voice + guitar, voice + bass});
        side.push_back(guitar - bass);
    }
    struct Case {
        const char* name;
        int mode;
        std::vector<int> in, out;
    };
    const Case cases[] = {
        {"karaoke", kCancelKaraoke, stereo, side},
        {"get vocal", kCancelGetVocal, {1000, -200, 5, 5, -300, 40, 7, -7}, {-200, 0, 40, 0}},
    };
    for (const Case& c : cases) {
        TempDir dir;
        WriteWave(dir.File("o.wav"), 8000, 2, c.in);
        WriteWave(dir.File("i.wav"), 8000, 2, {0, 0});
        RecordingView view;
        int result = 0;
        const auto file = RunMode(dir, Mode(c.mode), view, result);
        EXPECT_EQ(result, kCancelDone) << c.name;
        ExpectHeader(file, 8000, 1, static_cast<std::uint32_t>(c.out.size() * 2));
        EXPECT_EQ(Samples(file, 44), c.out) << c.name;
        EXPECT_EQ(view.last_work, 100) << c.name;
        EXPECT_TRUE(view.messages.empty()) << c.name;
    }
}

// An Original of `song` frames: silence, then the Inst from frame `intro` on, with a voice in the
// second half of the song. Returns the voice's samples.
std::vector<int> WriteSongPair(const TempDir& dir, int rate, std::size_t intro, std::size_t song) {
    constexpr std::size_t kSilence = 4000;  // frames before the Original's sound
    const std::vector<int> inst = Noise((intro + song) * 2, 11);
    std::vector<int> original(kSilence * 2, 0), voice;
    for (std::size_t f = 0; f < song; ++f) {
        const int v = f >= song / 2 ? Sine(523, rate, f, 3000) : 0;
        voice.insert(voice.end(), {v, v});
        for (std::size_t ch = 0; ch < 2; ++ch) original.push_back(inst[(intro + f) * 2 + ch] + v);
    }
    WriteWave(dir.File("o.wav"), rate, 2, original);
    WriteWave(dir.File("i.wav"), rate, 2, inst);
    return voice;
}

TEST(WithInst, FindsTheInstrumentalAndLeavesTheVoice) {
    // The later file is skipped so that both line up; the output runs while both have data.
    struct Case {
        const char* name;
        int rate;
        std::size_t intro, song;
        int rangeMs, stopAtSearch;
        std::uint32_t best, bytes;
        std::size_t songAt;
    };
    const Case cases[] = {
        {"inst ahead of the original", 8000, 2000, 16000, 1000, 0, 8000, (2000 + 16000) * 4, 4000},
        {"inst behind the original", 8000, 6000, 16000, 1000, 0, 24000, (4000 + 16000) * 4, 8000},
        {"stopped search keeps offset 0", 8000, 0, 16000, 1000, 1, 0, 16000 * 4, 0},
        // Both inputs span two blocks, and the skip shifts one against the other.
        {"longer than one block", 8000, 1000, 1400000, 150, 0, 4000, (1000 + 1400000) * 4, 2000},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const std::vector<int> voice = WriteSongPair(dir, c.rate, c.intro, c.song);
        RecordingView view;
        view.change_at_search = c.stopAtSearch;
        int result = 0;
        std::uint32_t best = 99;
        const auto file = RunMode(dir, Mode(kCancelWithInst, c.rangeMs), view, result, &best);
        EXPECT_EQ(result, kCancelDone) << c.name;
        EXPECT_EQ(view.state.load(), kCancelerRunning) << c.name << ": a stopped search resumes the run";
        EXPECT_EQ(best, c.best) << c.name;
        ExpectHeader(file, static_cast<std::uint32_t>(c.rate), 2, c.bytes);
        const auto out = Samples(file, 44);
        ASSERT_LE(c.songAt + voice.size(), out.size()) << c.name;
        EXPECT_TRUE(std::equal(voice.begin(), voice.end(), out.begin() + static_cast<std::ptrdiff_t>(c.songAt)))
            << c.name;
        if (c.stopAtSearch) {
            EXPECT_EQ(view.search_updates, 1) << c.name << ": no offset scored after the stop";
        } else {
            // The display reaches the range's last frame.
            const auto frames = static_cast<std::uint32_t>(c.rate * c.rangeMs / 1000);
            EXPECT_EQ(view.search.offset, (frames - 1) * 4) << c.name;
            EXPECT_EQ(view.search.percent, 100) << c.name;
            EXPECT_EQ(view.search.best_offset, c.best) << c.name;
        }
    }
}

TEST(RunCanceler, EveryPhaseStopsAndLeavesTheOldOutputAlone) {
    struct Case {
        const char* name;
        int mode, atWork, atSearch, to;
    };
    const Case cases[] = {
        {"karaoke", kCancelKaraoke, 1, 0, kCancelerStopAsked},
        {"get vocal", kCancelGetVocal, 1, 0, kCancelerStopAsked},
        {"with inst, start-of-sound search", kCancelWithInst, 1, 0, kCancelerStopAsked},
        {"with inst, aborted in the alignment search", kCancelWithInst, 0, 2, kCancelerAborted},
        {"with inst, subtraction", kCancelWithInst, 2, 0, kCancelerStopAsked},
    };
    for (const Case& c : cases) {
        TempDir dir;
        WriteSongPair(dir, 8000, 100, 8000);
        RecordingView view;
        view.change_at_work = c.atWork;
        view.change_at_search = c.atSearch;
        view.change_to = c.to;
        int result = 0;
        EXPECT_TRUE(IsOldOutput(RunMode(dir, Mode(c.mode), view, result))) << c.name;
        EXPECT_EQ(result, kCancelStopped) << c.name;
        EXPECT_TRUE(view.messages.empty()) << c.name;
    }
}

TEST(RunCanceler, EveryFailureIsReportedAndLeavesNoFile) {
    struct Case {
        const char* name;
        int mode;
        std::function<void(const TempDir&, CancelerJob&)> harm;  // after the inputs are opened
        std::string output, message;
    };
    const auto truncateOriginal = [](const TempDir& dir, CancelerJob&) { fs::resize_file(dir.File("o.wav"), 44); };
    const auto limitFileSize = [](const TempDir&, CancelerJob&) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit small{100000, RLIM_INFINITY};
        setrlimit(RLIMIT_FSIZE, &small);
    };
    const auto nothing = [](const TempDir&, CancelerJob&) {};
    const Case cases[] = {
        {"no start of sound", kCancelWithInst, nothing, "out.wav", kNoSoundError},
        {"output folder missing", kCancelKaraoke, nothing, "no/such/dir/out.wav", kOutputCreateError},
        {"original cut short after opening", kCancelKaraoke, truncateOriginal, "out.wav", kInputReadError},
        {"disk full", kCancelKaraoke, limitFileSize, "out.wav", kWriteFileError},
    };
    for (const Case& c : cases) {
        TempDir dir;
        // Never louder than 100: no start of sound; the output would be 400,000 bytes.
        WriteWave(dir.File("o.wav"), 8000, 2, std::vector<int>(400000, 100));
        WriteWave(dir.File("i.wav"), 8000, 2, Noise(16000, 5));
        std::ofstream(dir.File("out.wav"), std::ios::binary) << kOldOutput;
        CancelerJob job;
        ASSERT_EQ(PrepareCancelerJob(dir.File("o.wav"), dir.File("i.wav"), dir.File(c.output), Mode(c.mode), job), 0)
            << c.name;
        c.harm(dir, job);
        RecordingView view;
        SingleLane lane;
        const int result = RunCanceler(job, view, view.state, lane);
        const rlimit unlimited{RLIM_INFINITY, RLIM_INFINITY};
        setrlimit(RLIMIT_FSIZE, &unlimited);
        EXPECT_EQ(result, kCancelFailed) << c.name;
        EXPECT_EQ(view.messages, std::vector<std::string>{c.message}) << c.name;
        EXPECT_TRUE(IsOldOutput(FileBytes(dir.File("out.wav")))) << c.name;
        ExpectOnlyInputsAndOutput(dir, c.name);
        EXPECT_EQ(job.original.file, nullptr) << c.name;
    }
}

}  // namespace
