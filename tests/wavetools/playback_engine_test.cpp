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

class FakeDevice : public OutputDevice {
  public:
    explicit FakeDevice(const AppState& state) : state_(state) {}
    bool open_ok = true;
    bool prepare_ok = true;
    bool open = false;
    DeviceFormat opened;
    HWND__* owner = nullptr;
    int opens = 0;
    int busy_at_open = 0;
    std::uint32_t length = 0;
    std::unique_ptr<std::uint8_t[]> block;  // freed on close, so late use shows under ASan
    std::array<std::uint8_t*, PlayBufferCount> data{};
    std::deque<int> queue;
    std::vector<std::uint8_t> played;
    unsigned volume = 0x12341234;
    std::vector<unsigned> volumes_set;

    bool Open(const DeviceFormat& format, HWND__* window) override {
        ++opens;
        busy_at_open = state_.refill_busy;
        if (!open_ok) return false;
        open = true;
        opened = format;
        owner = window;
        return true;
    }
    bool PrepareBuffers(std::uint32_t bytes, std::array<std::uint8_t*, PlayBufferCount>& out) override {
        if (!prepare_ok) return false;
        length = bytes;
        block.reset(new std::uint8_t[PlayBufferCount * bytes]());
        for (int i = 0; i < PlayBufferCount; ++i) data[i] = out[i] = block.get() + i * bytes;
        return true;
    }
    void Write(int index) override {
        EXPECT_TRUE(open);
        EXPECT_EQ(std::count(queue.begin(), queue.end(), index), 0) << "buffer " << index << " queued twice";
        queue.push_back(index);
    }
    void Close() override {
        open = false;
        queue.clear();
        block.reset();
        data.fill(nullptr);
    }
    unsigned Volume() override { return volume; }
    void SetVolume(unsigned value) override { volumes_set.push_back(value); }

    // The oldest queued buffer has played: its bytes reach the speaker and it goes back.
    int PlayOne() {
        const int index = queue.front();
        queue.pop_front();
        played.insert(played.end(), data[index], data[index] + length);
        return index;
    }

  private:
    const AppState& state_;
};

class FakeEvents : public PlaybackEvents {
  public:
    explicit FakeEvents(const AppState& state) : state_(state) {}
    std::vector<std::string> seen;
    std::vector<int> progress;
    HWND__* unavailable_owner = nullptr;

    void DeviceUnavailable(HWND__* owner) override {
        unavailable_owner = owner;
        seen.push_back("unavailable");
    }
    void ToneEnded() override { End("tone end"); }
    void AnalysisPlayEnded() override { End("analysis end"); }
    void CancelerPlayEnded() override { End("canceler end"); }
    void CancelerProgress(int percent) override { progress.push_back(percent); }
    void CancelerProgressRestart() override { seen.push_back("progress restart"); }

  private:
    void End(const char* what) {
        EXPECT_EQ(state_.play_kind, kPlayNothing);
        EXPECT_EQ(state_.playback_open, 0);
        seen.push_back(what);
    }
    const AppState& state_;
};

HWND__* const kMain = reinterpret_cast<HWND__*>(0x100);
HWND__* const kCanceler = reinterpret_cast<HWND__*>(0x200);

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

// Index of the first byte that differs from the test pattern starting at `from`, or -1.
long long FirstMismatch(const std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t from,
                        std::uint32_t count) {
    if (bytes.size() < at + count) return static_cast<long long>(bytes.size());
    for (std::uint32_t i = 0; i < count; ++i) {
        if (bytes[at + i] != SampleByte(from + i)) return i;
    }
    return -1;
}

bool AllZero(const std::vector<std::uint8_t>& bytes, std::size_t from) {
    return std::all_of(bytes.begin() + static_cast<long>(from), bytes.end(),
                       [](std::uint8_t b) { return b == 0; });
}

struct Rig {
    AppState state;
    FakeDevice device{state};
    FakeEvents events{state};
    PlaybackEngine engine{state, device, events};

    Rig() { state.metronome_sounds_ready = 1; }
    // The device plays everything queued, each returned buffer going back to the engine.
    void PlayAll(WaveSource& source) {
        while (!device.queue.empty()) engine.RefillBuffer(source, device.PlayOne());
    }
};

WaveRecipe Recipe(int channels, int bits, std::uint32_t bytes) {
    WaveRecipe recipe;
    recipe.channels = static_cast<std::uint16_t>(channels);
    recipe.bits = static_cast<std::uint16_t>(bits);
    recipe.dataBytes = bytes;
    return recipe;
}

class TempWave {
  public:
    explicit TempWave(const WaveRecipe& recipe) {
        std::vector<std::uint8_t> bytes = WaveBytes(recipe);
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    }
    ~TempWave() { std::filesystem::remove(path); }
    std::string path = ::testing::TempDir() + "harmolab_play_" +
                       ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".wav";
};

TEST(PlaybackEngine, SourceForEachPlayKind) {
    EXPECT_EQ(&PlaySourceFor(kPlayNothing), &click_ring);
    EXPECT_EQ(&PlaySourceFor(kPlayClick), &click_ring);
    EXPECT_EQ(&PlaySourceFor(kPlayTone), &tone_source);
    EXPECT_EQ(&PlaySourceFor(kPlayAnalysis), &stream_source);
    EXPECT_EQ(&PlaySourceFor(kPlayCanceler), &stream_source);
}

// Every length, in both buffer widths: whole buffers of sound, one zero-padded last buffer, the
// first min(8, buffers) queued at start, and the end exactly when the last buffer returns.
TEST(PlaybackEngine, SoundsOfEveryLengthPlayOnceAndEndWithTheLastBuffer) {
    for (int bits : {8, 16}) {
        const std::uint32_t L = PlayBufferBytes(bits);
        EXPECT_EQ(L, bits == 8 ? 1024u : 2048u);
        for (std::uint32_t bytes :
             {1u, 100u, L - 1, L, L + 1, 7 * L + 5, 8 * L - 1, 8 * L, 8 * L + 1, 20 * L + 7}) {
            SCOPED_TRACE(::testing::Message() << bits << "-bit, " << bytes << " bytes");
            Rig rig;
            OwnedSource tone;
            FillMemory(tone.s, bytes, bits, 1);
            ASSERT_EQ(rig.engine.StartTone(tone.s, kMain), 0);
            const std::uint32_t buffers = (bytes + L - 1) / L;
            EXPECT_EQ(rig.engine.queued_at_start(), static_cast<int>(std::min(buffers, 8u)));
            EXPECT_EQ(rig.device.length, L);
            EXPECT_EQ(rig.state.play_kind, kPlayTone);

            int returned = 0;
            while (!rig.device.queue.empty()) {
                EXPECT_TRUE(rig.device.open) << "closed before buffer " << returned << " came back";
                rig.engine.RefillBuffer(tone.s, rig.device.PlayOne());
                ++returned;
            }
            EXPECT_EQ(returned, static_cast<int>(buffers));
            EXPECT_EQ(rig.device.played.size(), std::size_t{buffers} * L);
            EXPECT_EQ(FirstMismatch(rig.device.played, 0, 0, bytes), -1);
            EXPECT_TRUE(AllZero(rig.device.played, bytes));
            EXPECT_FALSE(rig.device.open);
            EXPECT_EQ(rig.state.play_kind, kPlayNothing);
            EXPECT_EQ(rig.events.seen, std::vector<std::string>{"tone end"});
            EXPECT_EQ(tone.s.buffer, nullptr) << "the played tone is released";
        }
    }
}

TEST(PlaybackEngine, ExactlyEightBuffersQueueAtOnceAndEndWhenTheEighthReturns) {
    Rig rig;
    OwnedSource tone;
    FillMemory(tone.s, 8 * 2048);
    ASSERT_EQ(rig.engine.StartTone(tone.s, kMain), 0);
    EXPECT_EQ(rig.device.queue.size(), 8u);
    EXPECT_EQ(tone.s.bytesToQueue, 0u);
    for (int i = 0; i < 7; ++i) rig.engine.RefillBuffer(tone.s, rig.device.PlayOne());
    EXPECT_TRUE(rig.device.open);
    EXPECT_TRUE(rig.device.queue.size() == 1 && rig.engine.in_use(rig.device.queue.front()));
    rig.engine.RefillBuffer(tone.s, rig.device.PlayOne());
    EXPECT_FALSE(rig.device.open);
}

TEST(PlaybackEngine, ReturnsThatAreNotCurrentBuffersAreIgnored) {
    Rig rig;
    OwnedSource tone;
    FillMemory(tone.s, 100);
    ASSERT_EQ(rig.engine.StartTone(tone.s, kMain), 0);
    rig.engine.RefillBuffer(tone.s, -1);
    rig.engine.RefillBuffer(tone.s, 5);  // never queued
    EXPECT_TRUE(rig.device.open);
    rig.PlayAll(tone.s);
    EXPECT_FALSE(rig.device.open);
    rig.engine.RefillBuffer(tone.s, 0);  // a late return after the close
    EXPECT_EQ(rig.events.seen.size(), 1u);
}

// A 12,000,000-byte file through the 5,120,000-byte ring, in both buffer widths: no byte lost,
// repeated or reordered, and the file read only in half-ring blocks at the two boundaries.
TEST(PlaybackEngine, LongStreamPlaysWithoutAGap) {
    for (int bits : {16, 8}) {
        SCOPED_TRACE(::testing::Message() << bits << "-bit");
        const std::uint32_t kBytes = 12000000;
        TempWave file(Recipe(bits == 8 ? 1 : 2, bits, kBytes));
        Rig rig;
        OwnedSource stream;
        ASSERT_TRUE(OpenWaveStream(file.path, stream.s, false));
        ASSERT_EQ(rig.engine.StartStreamPlay(stream.s, kPlayAnalysis, kMain), 0);
        EXPECT_EQ(rig.device.opened.bits, bits);

        std::vector<std::uint32_t> read_at;
        std::uint32_t in_file = stream.s.bytesInFile;
        while (!rig.device.queue.empty()) {
            rig.engine.RefillBuffer(stream.s, rig.device.PlayOne());
            if (stream.s.bytesInFile != in_file) {
                read_at.push_back(static_cast<std::uint32_t>(stream.s.readPos - stream.s.buffer));
                in_file = stream.s.bytesInFile;
            }
        }
        EXPECT_EQ(read_at, (std::vector<std::uint32_t>{StreamHalfBytes, 0, StreamHalfBytes}));
        const std::uint32_t L = PlayBufferBytes(bits);
        EXPECT_EQ(rig.device.played.size(), std::size_t{(kBytes + L - 1) / L} * L);
        EXPECT_EQ(FirstMismatch(rig.device.played, 0, 0, kBytes), -1);
        EXPECT_TRUE(AllZero(rig.device.played, kBytes));
        EXPECT_EQ(rig.events.seen, std::vector<std::string>{"analysis end"});
        EXPECT_EQ(stream.s.buffer, nullptr);
        EXPECT_NE(stream.s.file, nullptr) << "the played-out file stays open until the next stop";
    }
}

TEST(PlaybackEngine, AStreamThatCannotBeReadStopsAndSaysSo) {
    TempWave file(Recipe(2, 16, 6000000));
    for (int kind : {kPlayAnalysis, kPlayCanceler}) {
        Rig rig;
        OwnedSource stream;
        ASSERT_TRUE(OpenWaveStream(file.path, stream.s, false));
        ASSERT_EQ(rig.engine.StartStreamPlay(stream.s, kind, kMain), 0);
        CloseSourceFile(stream.s);  // the next block can't be read
        bool ok = true;
        while (ok && !rig.device.queue.empty()) ok = rig.engine.RefillBuffer(stream.s, rig.device.PlayOne());
        EXPECT_FALSE(ok);
        // The buffer that reached the midpoint was queued before the read failed, then taken back.
        EXPECT_EQ(rig.device.played.size(), std::size_t{StreamHalfBytes - 8 * 2048});
        EXPECT_FALSE(rig.device.open);
        EXPECT_EQ(rig.state.play_kind, kPlayNothing);
        EXPECT_EQ(rig.events.seen.back(), kind == kPlayAnalysis ? "analysis end" : "canceler end");
        EXPECT_EQ(stream.s.buffer, nullptr);
    }
}

TEST(PlaybackEngine, CancelerPlayReportsItsPositionUpTo100) {
    TempWave file(Recipe(2, 16, 10 * 2048 + 10));
    Rig rig;
    OwnedSource stream;
    ASSERT_TRUE(OpenWaveStream(file.path, stream.s, false));
    ASSERT_EQ(rig.engine.StartStreamPlay(stream.s, kPlayCanceler, kCanceler), 0);
    EXPECT_EQ(rig.device.owner, kCanceler);
    rig.PlayAll(stream.s);
    // Refills after the first eight buffers: 9 and 10 full, then the 10-byte rest.
    EXPECT_EQ(rig.events.progress, (std::vector<int>{89, 99, 100}));
    EXPECT_EQ(rig.events.seen, std::vector<std::string>{"canceler end"});
}

// The click ring is no multiple of the buffer length: a click written across its end plays
// through the wrap.
TEST(PlaybackEngine, ClickAcrossTheRingsEndPlaysThroughTheWrap) {
    Rig rig;
    OwnedSource ring, click;
    FillMemory(ring.s, 0, ClickBits, ClickChannels, ClickRate, ClickRingBytes);
    FillMemory(click.s, 5000, ClickBits, ClickChannels, ClickRate);
    ring.s.readPos = ring.s.buffer + ClickRingBytes - 1000;
    ASSERT_EQ(CopyClickIntoRing(click.s, ring.s, true), 0);
    EXPECT_EQ(ring.s.buffer[0], SampleByte(1000));
    ASSERT_EQ(rig.engine.OpenSourceDevice(ring.s, kMain), 0);
    ASSERT_EQ(rig.engine.StartBuffers(ring.s), 3);
    rig.PlayAll(ring.s);
    EXPECT_EQ(FirstMismatch(rig.device.played, 0, 0, 5000), -1);
    EXPECT_EQ(ring.s.readPos, ring.s.buffer + 4000);
}

TEST(PlaybackEngine, CopyClickIntoRing) {
    const struct {
        const char* name;
        int bits, channels, rate;
        std::uint32_t sound_bytes;
        bool have_ring, append;
        int result;
        std::uint32_t written_at;  // where the click lands, readPos before the copy 100
    } cases[] = {
        {"at the start", 16, 2, 44100, 300, true, false, 0, 0},
        {"appended at readPos", 16, 2, 44100, 300, true, true, 0, 100},
        {"mono", 16, 1, 44100, 300, true, false, -1, 0},
        {"8-bit", 8, 2, 44100, 300, true, false, -1, 0},
        {"22,050 Hz", 16, 2, 22050, 300, true, false, -1, 0},
        {"empty sound", 16, 2, 44100, 0, true, false, -1, 0},
        {"no ring", 16, 2, 44100, 300, false, false, -1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OwnedSource ring, sound;
        if (c.have_ring) {
            FillMemory(ring.s, 0, 16, 2, 44100, ClickRingBytes);
            ring.s.readPos = ring.s.buffer + 100;
        }
        if (c.sound_bytes) FillMemory(sound.s, c.sound_bytes, c.bits, c.channels, c.rate);
        EXPECT_EQ(CopyClickIntoRing(sound.s, ring.s, c.append), c.result);
        if (c.result != 0) continue;
        EXPECT_EQ(ring.s.readPos, ring.s.buffer + c.written_at) << "readPos marks the click's start";
        EXPECT_EQ(ring.s.bytesToQueue, c.sound_bytes);
        EXPECT_EQ(ring.s.readPos[0], SampleByte(0));
        EXPECT_EQ(ring.s.readPos[c.sound_bytes - 1], SampleByte(c.sound_bytes - 1));
    }
    OwnedSource ring;
    FillMemory(ring.s, 0, 16, 2, 44100, ClickRingBytes);
    SlotClickSounds slots(nullptr, 0, ring.s);
    EXPECT_EQ(slots.QueueClick(0, false), -1);
}

class FakeClicks : public ClickSounds {
  public:
    explicit FakeClicks(WaveSource& ring) : ring_(ring) {}
    int result = 0;
    std::vector<std::pair<int, bool>> asked;  // (index, append)
    int QueueClick(int index, bool append) override {
        asked.emplace_back(index, append);
        if (result != 0) return result;
        if (!append) ring_.readPos = ring_.buffer;
        ring_.bytesToQueue = 3000;
        return 0;
    }

  private:
    WaveSource& ring_;
};

TEST(PlaybackEngine, StartClick) {
    const struct {
        const char* name;
        int ready, play_kind;
        bool already_open, open_ok;
        int queue_result;
        int result, kind_after;
        std::vector<std::pair<int, bool>> asked;
    } cases[] = {
        {"plays from the ring's start", 1, kPlayNothing, false, true, 0, 0, kPlayClick, {{1, false}}},
        {"clicks disabled", 0, kPlayNothing, false, true, 0, -1, kPlayNothing, {}},
        {"dropped while a tone plays", 1, kPlayTone, false, true, 0, -1, kPlayTone, {}},
        {"dropped while a click plays", 1, kPlayClick, false, true, 0, -1, kPlayClick, {}},
        {"appended while the device is open", 1, kPlayNothing, true, true, 0, 0, kPlayNothing, {{1, true}}},
        {"device unavailable", 1, kPlayNothing, false, false, 0, -2, kPlayNothing, {}},
        {"nothing to copy", 1, kPlayNothing, false, true, -1, -1, kPlayNothing, {{1, false}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        OwnedSource ring;
        FillMemory(ring.s, 0, ClickBits, ClickChannels, ClickRate, ClickRingBytes);
        FakeClicks clicks(ring.s);
        clicks.result = c.queue_result;
        rig.state.metronome_sounds_ready = c.ready;
        rig.state.play_kind = c.play_kind;
        if (c.already_open) {
            ASSERT_EQ(rig.engine.OpenSharedDevice(kMain), 0);
        }
        rig.device.open_ok = c.open_ok;
        const int opens = rig.device.opens;

        EXPECT_EQ(rig.engine.StartClick(1, clicks, ring.s, kMain), c.result);
        EXPECT_EQ(rig.state.play_kind, c.kind_after);
        EXPECT_EQ(clicks.asked, c.asked);
        EXPECT_EQ(rig.device.opens - opens,
                  c.ready && c.play_kind == kPlayNothing && !c.already_open ? 1 : 0);
        EXPECT_EQ(rig.device.open, c.already_open || c.result == 0);
        EXPECT_EQ(rig.state.metronome_sounds_ready, c.result == -2 ? 0 : c.ready);
        if (c.result == -2) {
            EXPECT_EQ(rig.events.unavailable_owner, kMain);
        }
        if (c.result == 0 && c.kind_after == kPlayClick) {
            EXPECT_EQ(rig.device.opened.rate, ClickRate);
            EXPECT_EQ(rig.device.opened.channels, ClickChannels);
            rig.PlayAll(ring.s);
            EXPECT_EQ(rig.device.played.size(), 2u * 2048);
            EXPECT_EQ(rig.state.play_kind, kPlayNothing);
        }
    }
}

TEST(PlaybackEngine, StartTone) {
    const struct {
        const char* name;
        int play_kind;
        bool already_open, open_ok, empty;
        int result, kind_after;
    } cases[] = {
        {"plays", kPlayNothing, false, true, false, 0, kPlayTone},
        {"refused while a click plays", kPlayClick, false, true, false, -1, kPlayClick},
        {"silent while the device is open", kPlayNothing, true, true, false, 0, kPlayNothing},
        {"device unavailable", kPlayNothing, false, false, false, -2, kPlayNothing},
        {"an empty tone", kPlayNothing, false, true, true, -1, kPlayNothing},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        shared_output_format = SharedOutputFormat{22050, 0, 8};  // tones don't play in it
        OwnedSource tone;
        if (!c.empty) FillMemory(tone.s, 5000, 16, 2, 44100);
        rig.state.play_kind = c.play_kind;
        if (c.already_open) {
            ASSERT_EQ(rig.engine.OpenSharedDevice(kMain), 0);
        }
        rig.device.open_ok = c.open_ok;

        EXPECT_EQ(rig.engine.StartTone(tone.s, kMain), c.result);
        EXPECT_EQ(rig.state.play_kind, c.kind_after);
        EXPECT_EQ(rig.device.queue.size(), c.kind_after == kPlayTone ? 3u : 0u);
        if (c.kind_after == kPlayTone) {
            EXPECT_EQ(rig.device.opened.rate, 44100);
            EXPECT_EQ(rig.device.opened.channels, 2);
            EXPECT_EQ(rig.device.opened.bits, 16);
        }
        if (c.result == -2) {
            EXPECT_EQ(rig.events.seen, std::vector<std::string>{"unavailable"});
            EXPECT_EQ(rig.state.metronome_sounds_ready, 0);
        }
        shared_output_format = SharedOutputFormat{};
    }
}

TEST(PlaybackEngine, StoppingATonePlaysNoMoreOfIt) {
    Rig rig;
    OwnedSource tone;
    FillMemory(tone.s, 100000);
    ASSERT_EQ(rig.engine.StartTone(tone.s, kMain), 0);
    rig.engine.StopTone(tone.s);
    EXPECT_FALSE(rig.device.open);
    EXPECT_EQ(rig.state.play_kind, kPlayNothing);
    EXPECT_EQ(tone.s.buffer, nullptr);
    EXPECT_TRUE(rig.events.seen.empty());
}

TEST(PlaybackEngine, SeekDistance) {
    const struct {
        int rate, channels, bits, ms;
        bool backward;
        std::uint64_t bytes;
    } cases[] = {
        {44100, 2, 16, 3000, false, 529200}, {44100, 2, 16, 10000, false, 1764000},
        {44100, 2, 16, -3000, true, 529200}, {44100, 2, 16, 3999, true, 529200},  // whole seconds back
        {44100, 2, 16, 999, true, 0},        {22050, 1, 8, 1001, false, 22072},
        {11025, 1, 16, 1, false, 22},        {48000, 2, 24, 500, false, 144000},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SeekDistance(c.rate, c.channels, c.bits, c.ms, c.backward), c.bytes)
            << c.rate << " Hz " << c.ms << " ms" << (c.backward ? " back" : "");
    }
}

// A 10 s 16-bit stereo file played for about 4 s (345 buffers), then moved.
TEST(PlaybackEngine, SeekStream) {
    const std::uint32_t kTotal = 1764000;
    const std::uint32_t kPlayed = 345 * 2048;
    const struct {
        const char* name;
        int direction, ms;
        bool ok;
        std::uint32_t from;
    } cases[] = {
        {"restart", 0, 0, true, 0},
        {"back 10 s after 4 s restarts", -1, -10000, true, 0},
        {"back 3 s", -1, -3000, true, kPlayed - 529200},
        {"back 3.5 s moves whole seconds", -1, -3500, true, kPlayed - 529200},
        {"forward 3 s", 1, 3000, true, kPlayed + 529200},
        {"forward past the end", 1, 10000, false, 0},
    };
    TempWave file(Recipe(2, 16, kTotal));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        OwnedSource stream;
        ASSERT_TRUE(OpenWaveStream(file.path, stream.s, false));
        ASSERT_EQ(rig.engine.StartStreamPlay(stream.s, kPlayCanceler, kCanceler), 0);
        while (stream.s.bytesToQueue > kTotal - kPlayed)
            rig.engine.RefillBuffer(stream.s, rig.device.PlayOne());
        rig.device.played.clear();
        rig.events.seen.clear();

        EXPECT_EQ(rig.engine.SeekStream(stream.s, c.direction, c.ms, kCanceler), c.ok);
        EXPECT_EQ(rig.state.refill_busy, 0);
        EXPECT_EQ(rig.device.open, c.ok);
        if (!c.ok) continue;
        EXPECT_EQ(rig.device.busy_at_open, 1);
        EXPECT_EQ(rig.device.owner, kCanceler);
        EXPECT_EQ(rig.events.seen, std::vector<std::string>{"progress restart"});
        rig.engine.RefillBuffer(stream.s, rig.device.PlayOne());
        EXPECT_EQ(FirstMismatch(rig.device.played, 0, c.from, 2048), -1);
        rig.PlayAll(stream.s);
        EXPECT_EQ(rig.device.played.size(), std::size_t{(kTotal - c.from + 2047) / 2048} * 2048);
        EXPECT_EQ(rig.events.seen.back(), "canceler end");
    }
}

TEST(PlaybackEngine, StopStreamLetsGoOfTheFile) {
    TempWave file(Recipe(2, 16, 100000));
    Rig rig;
    OwnedSource stream;
    ASSERT_TRUE(OpenWaveStream(file.path, stream.s, false));
    ASSERT_EQ(rig.engine.StartStreamPlay(stream.s, kPlayAnalysis, kMain), 0);
    EXPECT_EQ(rig.engine.StartStreamPlay(stream.s, kPlayAnalysis, kMain), -1) << "the device is busy";
    rig.engine.StopStream(stream.s);
    EXPECT_FALSE(rig.device.open);
    EXPECT_EQ(stream.s.buffer, nullptr);
    EXPECT_EQ(stream.s.file, nullptr);
}

TEST(PlaybackEngine, BuffersThatCannotBeHadCloseTheDevice) {
    Rig rig;
    OwnedSource tone;
    FillMemory(tone.s, 5000);
    rig.device.prepare_ok = false;
    EXPECT_EQ(rig.engine.StartTone(tone.s, kMain), -1);
    EXPECT_FALSE(rig.device.open);
    EXPECT_EQ(rig.state.playback_open, 0);
    EXPECT_EQ(rig.state.play_kind, kPlayNothing);
}

TEST(PlaybackEngine, SharedFormatAndItsStandIn) {
    const struct {
        SharedOutputFormat shared;
        int rate, channels, bits;
    } cases[] = {
        {{22050, 0, 8}, 22050, 1, 8},
        {{44100, 1, 16}, 44100, 2, 16},
        {{0, 0, 8}, 44100, 2, 16},  // nothing loaded yet
    };
    for (const auto& c : cases) {
        Rig rig;
        shared_output_format = c.shared;
        ASSERT_EQ(rig.engine.OpenSharedDevice(kMain), 0);
        EXPECT_EQ(rig.engine.OpenSharedDevice(kMain), -1) << "opened twice";
        EXPECT_EQ(rig.device.opens, 1);
        EXPECT_EQ(rig.device.opened.rate, c.rate);
        EXPECT_EQ(rig.device.opened.channels, c.channels);
        EXPECT_EQ(rig.device.opened.bits, c.bits);
        EXPECT_EQ(rig.engine.buffer_length(), PlayBufferBytes(c.bits));
    }
    shared_output_format = SharedOutputFormat{};
}

TEST(PlaybackEngine, PlayVolume) {
    Rig rig;
    rig.engine.SetPlayVolume(0x1000);
    EXPECT_TRUE(rig.device.volumes_set.empty()) << "nothing to give it to while closed";
    EXPECT_EQ(rig.engine.DeviceVolume(), 0u);

    rig.state.saved_play_volume = 0xFFFFFFFF;
    rig.state.play_volume = 0x80004000;
    ASSERT_EQ(rig.engine.OpenSharedDevice(kMain), 0);
    EXPECT_EQ(rig.device.volumes_set, std::vector<unsigned>{0x80004000});
    EXPECT_EQ(rig.engine.DeviceVolume(), 0x12341234u);
    rig.engine.CloseDevice();
    ASSERT_EQ(rig.engine.OpenSharedDevice(kMain), 0);
    EXPECT_EQ(rig.device.volumes_set.size(), 1u) << "already applied";
    rig.engine.CloseDevice();

    rig.state.saved_play_volume = 0;  // no volume control
    rig.state.play_volume = 0x1111;
    ASSERT_EQ(rig.engine.OpenSharedDevice(kMain), 0);
    EXPECT_EQ(rig.device.volumes_set.size(), 1u);
}

}  // namespace
