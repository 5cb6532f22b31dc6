// Playback bookkeeping against a fake device that plays its queue in order: every byte of a sound
// reaches the speaker once, in order, and playback ends exactly when the last buffer comes back.
#include "wavetools/playback_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "tests/wavetools/wave_bytes.h"
#include "wavetools/wave_file.h"
#include "wavetools/wave_format.h"

namespace {

// Fake device and fake events in one; an end may be reported only once the device is closed.
struct Rig : OutputDevice, PlaybackEvents {
    AppState state;
    PlaybackEngine engine{state, *this, *this};
    bool open_ok = true, prepare_ok = true, open = false;
    DeviceFormat opened;
    HWND__* owner = nullptr;
    int busy_at_open = 0;
    std::uint32_t length = 0;
    std::unique_ptr<std::uint8_t[]> block;  // freed on close, so late use shows under ASan
    std::array<std::uint8_t*, PlayBufferCount> data{};
    std::deque<int> queue;
    std::vector<std::uint8_t> played;
    std::vector<unsigned> volumes_set;
    std::vector<std::string> seen;
    std::vector<int> progress;

    Rig() { state.metronome_sounds_ready = 1; }
    bool Open(const DeviceFormat& format, HWND__* window) override {
        busy_at_open = state.refill_busy;
        opened = format;
        owner = window;
        return open = open_ok;
    }
    bool PrepareBuffers(std::uint32_t bytes, std::array<std::uint8_t*, PlayBufferCount>& out) override {
        if (!prepare_ok) return false;
        length = bytes;
        block.reset(new std::uint8_t[PlayBufferCount * bytes]());
        for (int i = 0; i < PlayBufferCount; ++i) data[i] = out[i] = block.get() + i * bytes;
        return true;
    }
    void Write(int index) override { queue.push_back(index); }
    void Close() override {
        open = false;
        queue.clear();
        block.reset();
        data.fill(nullptr);
    }
    unsigned Volume() override { return 0x12341234; }
    void SetVolume(unsigned value) override { volumes_set.push_back(value); }

    void DeviceUnavailable(HWND__*) override { seen.push_back("unavailable"); }
    void ToneEnded() override { End("tone end"); }
    void AnalysisPlayEnded() override { End("analysis end"); }
    void CancelerPlayEnded() override { End("canceler end"); }
    void CancelerProgress(int percent) override { progress.push_back(percent); }
    void CancelerProgressRestart() override { seen.push_back("progress restart"); }
    void End(const char* what) {
        EXPECT_EQ(state.play_kind, kPlayNothing);
        EXPECT_EQ(state.playback_open, 0);
        seen.push_back(what);
    }

    // The oldest queued buffer has played: its bytes reach the speaker and it goes back.
    int PlayOne() {
        const int index = queue.front();
        queue.pop_front();
        played.insert(played.end(), data[index], data[index] + length);
        return index;
    }
    void PlayAll(WaveSource& source) {
        while (!queue.empty()) engine.RefillBuffer(source, PlayOne());
    }
};

HWND__* const kMain = reinterpret_cast<HWND__*>(0x100);
HWND__* const kCanceler = reinterpret_cast<HWND__*>(0x200);
using Strings = std::vector<std::string>;

struct OwnedSource {
    WaveSource s;
    ~OwnedSource() { ResetWaveSource(s); }
};

// A sound in memory holding SampleByte(0..bytes-1) in a buffer of `capacity` bytes.
void FillMemory(WaveSource& s, std::uint32_t bytes, int bits = 16, int channels = 2, int rate = 44100,
                std::uint32_t capacity = 0) {
    ASSERT_TRUE(AllocateSourceBuffer(s, std::max(capacity, std::max(bytes, 1u))));
    for (std::uint32_t i = 0; i < bytes; ++i) s.buffer[i] = SampleByte(i);
    s.bytesToQueue = s.totalBytes = bytes;
    s.bitsPerSample = bits;
    s.channels = channels;
    s.sampleRate = rate;
}

// Index of the first played byte that is not the pattern from `from` for `count` bytes and then
// silence; -1 when all match.
long long FirstWrong(const std::vector<std::uint8_t>& played, std::uint32_t from, std::uint32_t count) {
    if (played.size() < count) return static_cast<long long>(played.size());
    for (std::size_t i = 0; i < played.size(); ++i) {
        if (played[i] != (i < count ? SampleByte(from + static_cast<std::uint32_t>(i)) : 0)) return i;
    }
    return -1;
}

struct TempWave {
    TempWave(int channels, int bits, std::uint32_t bytes) {
        WaveRecipe recipe;
        recipe.channels = static_cast<std::uint16_t>(channels);
        recipe.bits = static_cast<std::uint16_t>(bits), recipe.dataBytes = bytes;
        const std::vector<std::uint8_t> contents = WaveBytes(recipe);
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(contents.data()), contents.size());
    }
    ~TempWave() { std::filesystem::remove(path); }
    std::string path = ::testing::TempDir() + "harmolab_play_" +
                       ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".wav";
};

// Both buffer widths, lengths around one and eight buffers: whole buffers of sound, a zero-padded
// last buffer, at most eight queued at start, and the end exactly when the last buffer returns.
TEST(PlaybackEngine, SoundsOfEveryLengthPlayOnceAndEndWithTheLastBuffer) {
    for (int bits : {8, 16}) {
        const std::uint32_t L = PlayBufferBytes(bits);
        for (std::uint32_t bytes : {1u, L - 1, L, L + 1, 8 * L - 1, 8 * L, 8 * L + 1, 20 * L + 7}) {
            SCOPED_TRACE(::testing::Message() << bits << "-bit, " << bytes << " bytes");
            Rig rig;
            OwnedSource tone;
            FillMemory(tone.s, bytes, bits, 1);
            ASSERT_EQ(rig.engine.StartTone(tone.s, kMain), 0);
            const std::uint32_t buffers = (bytes + L - 1) / L;
            EXPECT_EQ(rig.engine.queued_at_start(), static_cast<int>(std::min(buffers, 8u)));
            rig.engine.RefillBuffer(tone.s, -1);  // returns of buffers not in use are ignored
            if (buffers < 8) rig.engine.RefillBuffer(tone.s, 7);
            while (!rig.queue.empty()) {
                EXPECT_TRUE(rig.open) << "closed before the last buffer came back";
                rig.engine.RefillBuffer(tone.s, rig.PlayOne());
            }
            EXPECT_EQ(rig.played.size(), std::size_t{buffers} * L);
            EXPECT_EQ(FirstWrong(rig.played, 0, bytes), -1);
            rig.engine.RefillBuffer(tone.s, 0);  // a late return after the close
            EXPECT_FALSE(rig.open);
            EXPECT_EQ(rig.seen, Strings{"tone end"});
            EXPECT_EQ(tone.s.buffer, nullptr) << "the played tone is released";
        }
    }
}

// 12,000,000 bytes through the 5,120,000-byte ring crosses both half-ring refills twice.
TEST(PlaybackEngine, LongStreamPlaysWithoutAGapAndStopLetsGoOfTheFile) {
    for (int bits : {16, 8}) {
        SCOPED_TRACE(::testing::Message() << bits << "-bit");
        const std::uint32_t kBytes = 12000000, L = PlayBufferBytes(bits);
        TempWave file(bits == 8 ? 1 : 2, bits, kBytes);
        Rig rig;
        OwnedSource stream;
        ASSERT_TRUE(OpenWaveStream(file.path, stream.s, false));
        ASSERT_EQ(rig.engine.StartStreamPlay(stream.s, kPlayAnalysis, kMain), 0);
        EXPECT_EQ(rig.engine.StartStreamPlay(stream.s, kPlayAnalysis, kMain), -1) << "the device is busy";
        rig.PlayAll(stream.s);
        EXPECT_EQ(rig.played.size(), std::size_t{(kBytes + L - 1) / L} * L);
        EXPECT_EQ(FirstWrong(rig.played, 0, kBytes), -1);
        EXPECT_EQ(rig.seen, Strings{"analysis end"});
        EXPECT_EQ(stream.s.buffer, nullptr);
        EXPECT_NE(stream.s.file, nullptr) << "the played-out file stays open until the next stop";
        rig.engine.StopStream(stream.s);
        EXPECT_EQ(stream.s.file, nullptr);
    }
}

TEST(PlaybackEngine, AStreamThatCannotBeReadStopsAndSaysSo) {
    TempWave file(2, 16, 6000000);
    Rig rig;
    OwnedSource stream;
    ASSERT_TRUE(OpenWaveStream(file.path, stream.s, false));
    ASSERT_EQ(rig.engine.StartStreamPlay(stream.s, kPlayCanceler, kCanceler), 0);
    CloseSourceFile(stream.s);  // the next block can't be read
    bool ok = true;
    while (ok && !rig.queue.empty()) ok = rig.engine.RefillBuffer(stream.s, rig.PlayOne());
    EXPECT_FALSE(ok);
    // The buffer that reached the midpoint was queued before the read failed, then taken back.
    EXPECT_EQ(rig.played.size(), std::size_t{StreamHalfBytes - 8 * 2048});
    EXPECT_FALSE(rig.open);
    EXPECT_EQ(rig.seen, Strings{"canceler end"});
}

TEST(PlaybackEngine, StartTone) {
    const struct {
        const char* name;
        int play_kind;
        bool already_open, open_ok, prepare_ok, empty;
        int result;
    } cases[] = {
        {"plays", kPlayNothing, false, true, true, false, 0},
        {"refused while a click plays", kPlayClick, false, true, true, false, -1},
        {"silent while the device is open", kPlayNothing, true, true, true, false, 0},
        {"device unavailable", kPlayNothing, false, false, true, false, -2},
        {"no buffers", kPlayNothing, false, true, false, false, -1},
        {"an empty tone", kPlayNothing, false, true, true, true, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        shared_output_format = SharedOutputFormat{22050, 0, 8};  // tones don't play in it
        OwnedSource tone;
        if (!c.empty) FillMemory(tone.s, 5000, 16, 2, 44100);
        rig.state.play_kind = c.play_kind;
        ASSERT_EQ(c.already_open ? rig.engine.OpenSharedDevice(kMain) : 0, 0);
        rig.open_ok = c.open_ok;
        rig.prepare_ok = c.prepare_ok;

        EXPECT_EQ(rig.engine.StartTone(tone.s, kMain), c.result);
        const bool plays = c.result == 0 && !c.already_open;
        EXPECT_EQ(rig.state.play_kind, plays ? kPlayTone : c.play_kind);
        EXPECT_EQ(rig.open, plays || c.already_open);
        EXPECT_EQ(rig.queue.size(), plays ? 3u : 0u);
        if (plays) {
            EXPECT_EQ(rig.opened.rate, 44100) << "the tone's own format";
        }
        EXPECT_EQ(rig.seen, c.result == -2 ? Strings{"unavailable"} : Strings{});
        shared_output_format = SharedOutputFormat{};
    }
    Rig rig;
    OwnedSource tone;
    FillMemory(tone.s, 100000);
    ASSERT_EQ(rig.engine.StartTone(tone.s, kMain), 0);
    rig.engine.StopTone(tone.s);
    EXPECT_FALSE(rig.open);
    EXPECT_EQ(rig.state.play_kind, kPlayNothing);
    EXPECT_EQ(tone.s.buffer, nullptr);
    EXPECT_TRUE(rig.seen.empty()) << "a stopped tone reports no end";
}

// A 10 s 16-bit stereo file played for about 4 s (345 buffers), then moved.
TEST(PlaybackEngine, SeekStream) {
    const std::uint32_t kTotal = 1764000, kPlayed = 345 * 2048;
    const struct {
        const char* name;
        int direction, ms;
        bool ok;
        std::uint32_t from;
    } cases[] = {
        {"restart", 0, 0, true, 0},
        {"back 10 s after 4 s restarts", -1, -10000, true, 0},
        {"back 3 s", -1, -3000, true, kPlayed - 529200},
        {"back 3.999 s moves whole seconds", -1, -3999, true, kPlayed - 529200},
        {"forward 3 s", 1, 3000, true, kPlayed + 529200},
        {"forward 3 ms moves whole frames", 1, 3, true, kPlayed + 528},
        {"forward past the end", 1, 10000, false, 0},
    };
    TempWave file(2, 16, kTotal);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        OwnedSource stream;
        ASSERT_TRUE(OpenWaveStream(file.path, stream.s, false));
        ASSERT_EQ(rig.engine.StartStreamPlay(stream.s, kPlayCanceler, kCanceler), 0);
        while (stream.s.bytesToQueue > kTotal - kPlayed) rig.engine.RefillBuffer(stream.s, rig.PlayOne());
        rig.played.clear();

        EXPECT_EQ(rig.engine.SeekStream(stream.s, c.direction, c.ms, kCanceler), c.ok);
        EXPECT_EQ(rig.state.refill_busy, 0);
        EXPECT_EQ(rig.open, c.ok);
        if (!c.ok) continue;
        EXPECT_EQ(rig.busy_at_open, 1) << "returns during the reopen must not refill";
        EXPECT_EQ(rig.owner, kCanceler);
        rig.PlayAll(stream.s);
        EXPECT_EQ(FirstWrong(rig.played, c.from, kTotal - c.from), -1);
        EXPECT_EQ(rig.seen, (Strings{"progress restart", "canceler end"}));
        EXPECT_EQ(rig.progress.back(), 100);
    }
}

TEST(PlaybackEngine, SharedFormatAndItsStandInBeforeAnythingIsLoaded) {
    for (const auto& [shared, opened] : {std::pair{SharedOutputFormat{22050, 0, 8}, std::array{22050, 1, 8}},
                                         {SharedOutputFormat{0, 0, 8}, std::array{44100, 2, 16}}}) {
        Rig rig;
        shared_output_format = shared;
        ASSERT_EQ(rig.engine.OpenSharedDevice(kMain), 0);
        EXPECT_EQ(rig.engine.OpenSharedDevice(kMain), -1) << "opened twice";
        EXPECT_EQ((std::array{rig.opened.rate, rig.opened.channels, rig.opened.bits}), opened);
    }
    shared_output_format = SharedOutputFormat{};
}

TEST(PlaybackEngine, PlayVolumeIsAppliedOnceWhenTheDeviceOpens) {
    Rig rig;
    rig.engine.SetPlayVolume(0x1000);
    EXPECT_TRUE(rig.volumes_set.empty()) << "nothing to give it to while closed";
    EXPECT_EQ(rig.engine.DeviceVolume(), 0u);
    rig.state.saved_play_volume = 0xFFFFFFFF;
    rig.state.play_volume = 0x80004000;
    for (int i = 0; i < 2; ++i) {
        ASSERT_EQ(rig.engine.OpenSharedDevice(kMain), 0);
        EXPECT_EQ(rig.engine.DeviceVolume(), 0x12341234u);
        rig.engine.CloseDevice();
    }
    rig.state.saved_play_volume = 0;  // no volume control
    rig.state.play_volume = 0x1111;
    ASSERT_EQ(rig.engine.OpenSharedDevice(kMain), 0);
    EXPECT_EQ(rig.volumes_set, std::vector<unsigned>{0x80004000});
}

}  // namespace
