// The Melodex tracking loop on the fake device: its capture, one analysis per handed-back buffer,
// the running flag, and an Initialize that arrives while the capture runs.
#include "melodex/melodex_tracker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "app/math_constants.h"
#include "tests/audio/fake_capture_device.h"

namespace {

struct Library {
    FakeDevice device;
    std::unique_ptr<Spectra> analysis = std::make_unique<Spectra>();
    MelodexTracker tracker{device, *analysis};

    // The device fills every queued buffer with the next stretch of a sine; the host hands each
    // notification straight back, as its window procedure does.
    void Play(double hz, int buffers) {
        for (int b = 0; b < buffers; ++b) {
            int k = next_buffer_++ % kCaptureBuffers;
            if (device.state[k] != FakeDevice::Buffer::kQueued) continue;
            for (int i = 0; i < kCaptureBufferSamples; ++i, ++t_) {
                device.samples[k][i] = static_cast<int16_t>(8000 * std::sin(2 * kPi * hz * t_ / 44100));
            }
            device.state[k] = FakeDevice::Buffer::kFilled;
            tracker.Proc(k, true);
        }
    }
    // The column of the strongest short-transform peak.
    int LoudestColumn() const {
        const double* s = analysis->ShortSpectrum();
        const auto peak = std::max_element(s, s + Spectra::ColumnEnd(kKeyCount - 1, 1)) - s;
        int column = 0;
        while (column + 1 < kKeyCount && Spectra::ColumnStart(column + 1, 1) <= peak) ++column;
        return column;
    }

private:
    int next_buffer_ = 0;
    long t_ = 0;
};

TEST(MelodexTracker, CapturesAt44100AndAnalysesEveryHandedBackBufferThroughAnInitialize) {
    Library lib;
    lib.tracker.Initialize();
    EXPECT_FALSE(lib.tracker.Running());
    ASSERT_TRUE(lib.tracker.Start());
    EXPECT_EQ(lib.device.opened_rate, 44100);
    EXPECT_TRUE(lib.tracker.Start()) << "a second start reports the running capture";
    EXPECT_EQ(lib.device.queued.size(), 8u) << "and opens nothing new";

    lib.Play(440, 16);
    const int low = lib.LoudestColumn();
    EXPECT_GT(low, 0);
    lib.tracker.Initialize();  // the host's toggle only calls it when stopped, but nothing forbids it
    EXPECT_TRUE(lib.tracker.Running()) << "an Initialize while running leaves the capture alone";
    lib.Play(3520, 16);  // the device keeps writing into the buffers it was given
    EXPECT_GT(lib.LoudestColumn(), low + 10) << "the analysis follows the sound";
    EXPECT_EQ(lib.device.QueuedCount(), 8) << "every buffer is handed back to the device";
    EXPECT_EQ(lib.device.queued_twice, 0);

    lib.tracker.Stop();
    EXPECT_FALSE(lib.tracker.Running());
    EXPECT_FALSE(lib.device.is_open);
    size_t queued = lib.device.queued.size();
    lib.tracker.Proc(0, true);
    EXPECT_EQ(lib.device.queued.size(), queued) << "a notification after the stop is ignored";
}

TEST(MelodexTracker, FailedStartsLeaveItStoppedAndRetryable) {
    Library lib;
    lib.tracker.Initialize();
    lib.device.open_ok = false;
    EXPECT_FALSE(lib.tracker.Start());
    EXPECT_FALSE(lib.tracker.Running());
    lib.device.open_ok = true;
    lib.device.fail_queue_of = 3;
    EXPECT_FALSE(lib.tracker.Start());
    EXPECT_FALSE(lib.device.is_open);
    lib.device.fail_queue_of = -1;
    EXPECT_TRUE(lib.tracker.Start()) << "the next command tries again";

    Library short_of_memory;
    MelodexTracker starved(short_of_memory.device, *short_of_memory.analysis, [](int) { return nullptr; });
    starved.Initialize();
    EXPECT_FALSE(starved.Start());
    EXPECT_FALSE(short_of_memory.device.is_open);
    starved.Proc(0, true);  // no frame: nothing to do, and no crash
}

}  // namespace
