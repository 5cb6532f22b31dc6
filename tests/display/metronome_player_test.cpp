// The metronome's stream on a fake device whose buffer-done wakes come on time, early, late, in
// bursts or on a coarse 15.6 ms tick: every click must land on its exact frame with its accent, and
// the animation must show each beat once its first frame has played.
#include "display/metronome_player.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <string>
#include <vector>

#include "tests/display/started_metronome.h"

namespace {

constexpr int kBufferFrames = 441;
constexpr int kBuffers = 8;

// A device that plays its queue at the pace the test gives it and keeps everything written.
class FakeOutput : public ClickOutput {
public:
    FakeOutput() : buffers_(kBuffers, std::vector<std::int16_t>(2 * kBufferFrames)) {}
    int BufferCount() const override { return kBuffers; }
    int BufferFrames() const override { return kBufferFrames; }
    std::int16_t* Buffer(int index) override { return buffers_[static_cast<std::size_t>(index)].data(); }
    bool IsFree(int index) override { return std::find(queue_.begin(), queue_.end(), index) == queue_.end(); }
    void Write(int index) override {
        const auto& b = buffers_[static_cast<std::size_t>(index)];
        tape.insert(tape.end(), b.begin(), b.end());
        queue_.push_back(index);
    }
    std::int64_t PlayedFrames() override { return played; }

    // The device plays `frames` more; playing past what was written is a gap.
    void Play(std::int64_t frames) {
        played += frames;
        if (played > static_cast<std::int64_t>(tape.size() / 2)) gaps = true;
        while (!queue_.empty() && played >= static_cast<std::int64_t>(tape.size() / 2) -
                                                static_cast<std::int64_t>(queue_.size() - 1) * kBufferFrames) {
            queue_.pop_front();
        }
    }

    std::vector<std::int16_t> tape;
    std::int64_t played = 0;
    bool gaps = false;

private:
    std::vector<std::vector<std::int16_t>> buffers_;
    std::deque<int> queue_;
};

// Frames of device time between two wakes of the stream's thread.
enum Wakes { kOnTime, kEarly, kLate, kBursts, kCoarseTick };

std::int64_t WakeGap(Wakes wakes, int n) {
    switch (wakes) {
        case kEarly: return kBufferFrames / 3;
        case kLate: return n % 2 ? kBufferFrames * 5 : kBufferFrames / 2;  // late, then catching up
        case kBursts: return n % 6 ? 3 : kBufferFrames * 6;                // a long sleep, then six at once
        case kCoarseTick: return 688;                                      // 15.6 ms
        default: return kBufferFrames;
    }
}

// Sounds whose frames alternate in sign, so that a click a frame off shows, the accent loud enough
// that an accent and a beat overlapping saturate both ways.
struct Sounds {
    explicit Sounds(int frames) : accent(Wave(frames, 30000)), beat(Wave(frames, 7000)) {}
    static std::vector<std::int16_t> Wave(int frames, int level) {
        std::vector<std::int16_t> w(2 * static_cast<std::size_t>(frames));
        for (std::size_t i = 0; i < w.size(); ++i) w[i] = static_cast<std::int16_t>(i / 2 % 2 ? -level : level);
        return w;
    }
    std::array<ClickSound, 2> Clicks() const {
        std::array<ClickSound, 2> c;
        c[kAccentClickSlot] = {accent.data(), static_cast<std::int64_t>(accent.size() / 2)};
        c[kBeatClickSlot] = {beat.data(), static_cast<std::int64_t>(beat.size() / 2)};
        return c;
    }
    std::vector<std::int16_t> accent, beat;
};

// A started metronome on the fake device, and what it must have played.
struct Started {
    Started(int kind, int beats_per_minute, int beat_no, int downbeat, int click_frames)
        : tempo(beats_per_minute),
          live(StartedMetronome(kind, beats_per_minute, beat_no, downbeat)),
          sounds(click_frames) {}

    // Wakes the stream's thread until the device has played `end` frames; each beat shows from its first
    // played frame on, not before.
    void PlayTo(std::int64_t end, Wakes wakes) {
        for (int n = 0; device.played < end; ++n) {
            player.Service();
            const std::int64_t shown = player.animation().beats();
            ASSERT_LE(BeatFrame(shown - 1, tempo), device.played);
            ASSERT_GT(BeatFrame(shown, tempo), device.played);
            device.Play(WakeGap(wakes, n));
        }
        player.Service();
    }
    // The beats of `slots` (A accent, B beat, - none) played from their exact frames, overlaps added and
    // held to 16 bits, with no gap; the animation showed the same beats and accents.
    void ExpectPlayed(const std::string& slots) {
        const auto size = static_cast<std::size_t>(2 * (BeatFrame(std::int64_t(slots.size()) - 1, tempo) + 1));
        std::vector<int> sum(size, 0);
        for (std::size_t k = 0; k < slots.size(); ++k) {
            if (slots[k] == '-') continue;
            const auto& sound = slots[k] == 'A' ? sounds.accent : sounds.beat;
            const auto start = static_cast<std::size_t>(2 * BeatFrame(static_cast<std::int64_t>(k), tempo));
            for (std::size_t i = 0; i < sound.size() && start + i < size; ++i) sum[start + i] += sound[i];
        }
        std::vector<std::int16_t> expected(size);
        for (std::size_t i = 0; i < size; ++i)
            expected[i] = static_cast<std::int16_t>(std::clamp(sum[i], -32768, 32767));
        EXPECT_FALSE(device.gaps) << "the device ran dry";
        ASSERT_GE(device.tape.size(), size);
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), device.tape.begin())) << "clicks off their frames";
        std::string heard = slots;
        heard.erase(std::remove(heard.begin(), heard.end(), '-'), heard.end());
        EXPECT_EQ(screen.clicks, heard) << "the animation's beats and accents differ from the sound";
    }

    int tempo;
    AppState live;
    Sounds sounds;
    FakeOutput device;
    RecordingScreen screen;
    MetronomePlayer player{live, device, sounds.Clicks(), screen};
};

TEST(BeatGrid, BeatFramesAreRoundedFromTheBeatNumberEachTime) {
    // tempo, beat -> frame
    const std::array<std::int64_t, 3> cases[] = {
        {120, 1, 22050},
        {217, 1, 12194},
        {217, 2, 24387},
        {217, 217, 2646000},
        {300, 7, 61740},
        {30, 3, 264600},
        {31, 1, 85355},
        {217, 1000000000, 12193548387097},
        {299, 3000000000, 26548494983278},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BeatFrame(c[1], static_cast<int>(c[0])), c[2]) << c[0] << " bpm, beat " << c[1];
}

TEST(MetronomeStream, ClicksLandOnTheirFramesWhateverTheWakes) {
    struct Case {
        int kind, tempo, beat_no, downbeat;
        std::string slots;  // beats from the start
        int click_frames;
    };
    // clang-format off
    const Case cases[] = {
        {kKindNormal,    120, 3, 1, "ABBBABBBA",     2000},
        {kKindSignal,    120, 1, 2, "BABABA",        2000},
        {kKindBall,      120, 5, 4, "BBBABBBBBABB",  2000},
        {kKindConductor, 120, 4, 5, "BBBBABBBBA",    2000},
        {kKindNormal,    30,  2, 3, "BBABB",         3000},
        {kKindConductor, 30,  0, 1, "-BBB",          3000},  // no bars: the Conductor's first beat is silent
        {kKindBall,      300, 3, 0, "BBBBBBBBBB",    2000},  // four beats, no accent
        {kKindSignal,    300, 0, 1, "BBBBBB",        2000},
        {kKindNormal,    300, 3, 1, "ABBBABBBA",     10000}, // a click longer than a beat: they overlap
        {kKindConductor, 217, 5, 1, "ABBBBBABBBBBA", 2000},
    };
    // clang-format on
    for (const Case& c : cases) {
        for (Wakes wakes : {kOnTime, kEarly, kLate, kBursts, kCoarseTick}) {
            SCOPED_TRACE("kind " + std::to_string(c.kind) + ", " + std::to_string(c.tempo) + " bpm, beat_no " +
                         std::to_string(c.beat_no) + ", wakes " + std::to_string(wakes));
            Started run(c.kind, c.tempo, c.beat_no, c.downbeat, c.click_frames);
            run.PlayTo(BeatFrame(std::int64_t(c.slots.size()) - 1, c.tempo) + 1, wakes);
            run.ExpectPlayed(c.slots);
        }
    }
}

TEST(MetronomeStream, PauseHoldsTheGridAndTheAnimationInStreamTime) {
    Started run(kKindNormal, 120, 3, 1, 2000);
    run.PlayTo(BeatFrame(2, 120) + 5000, kOnTime);  // paused mid-beat
    const int rod = run.live.rod_position;
    const std::int64_t shown = run.player.animation().beats();
    for (int wake = 0; wake < 500; ++wake) run.player.Service();  // the paused device plays nothing
    EXPECT_EQ(run.live.rod_position, rod);
    EXPECT_EQ(run.player.animation().beats(), shown);
    run.PlayTo(BeatFrame(8, 120) + 1, kOnTime);  // resumed
    run.ExpectPlayed("ABBBABBBA");
}

}  // namespace
