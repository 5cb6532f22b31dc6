// Capture buffer bookkeeping against a fake device: frame order, re-queueing, drains and stops.
#include "audio/capture_engine.h"

#include <gtest/gtest.h>

#include <deque>
#include <vector>

#include "tests/audio/fake_capture_device.h"

namespace {

// The capture under test, and the window's queue of notifications that its handler drains.
struct Rig : PendingNotifications {
    Shared<int> running{0};
    Shared<int> busy{0};
    int waits = 0;
    bool memory_short = false;
    FakeDevice device;
    CaptureEngine engine{device, CaptureFlags{running, busy},
                         [this] {
                             ++waits;
                             busy = 0;  // the other handler finishes while we wait
                         },
                         [this](int samples) { return memory_short ? nullptr : AllocateSamples(samples); }};
    int analyses = 0;
    int repaints = 0;
    std::vector<int16_t> last_frame;

    void StartRunning() {
        engine.AllocateFrame();
        running = engine.Open(22050) ? 1 : 0;
        engine.Start();
    }
    // The window procedure takes the first waiting notification; the handler drains the rest.
    void Pump() {
        while (!device.announced.empty()) {
            int first = device.announced.front();
            device.announced.pop_front();
            Deliver(first);
        }
    }
    bool Next(int& index) override {
        if (device.announced.empty()) return false;
        index = device.announced.front();
        device.announced.pop_front();
        return true;
    }
    void Deliver(int index) {
        engine.OnData(
            index, *this,
            [this](const int16_t* frame) {
                ++analyses;
                last_frame.assign(frame, frame + kAnalysisFrameSamples);
                EXPECT_EQ(busy, 1);
            },
            [this] { ++repaints; });
    }
    void FillAndPump(int index, int16_t value) {
        device.Fill(index, value);
        Pump();
    }
    int16_t SlotValue(int slot) const { return last_frame[slot * kCaptureBufferSamples]; }
};

TEST(CaptureEngine, OpensAtTwiceTheHalfRateAndFramesAreOldestFirstWithZerosBeforeEightBuffers) {
    Rig rig;
    rig.StartRunning();
    EXPECT_EQ(rig.device.opened_rate, 44100);
    EXPECT_EQ(rig.device.queued, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
    for (int k = 0; k < 3; ++k) rig.FillAndPump(k, static_cast<int16_t>(100 + k));
    // After three buffers the five older slots still hold the zeroed block.
    for (int slot = 0; slot < 5; ++slot) EXPECT_EQ(rig.SlotValue(slot), 0) << slot;
    EXPECT_EQ(rig.SlotValue(5), 100);
    EXPECT_EQ(rig.SlotValue(6), 101);
    EXPECT_EQ(rig.SlotValue(7), 102);

    for (int k = 3; k < 11; ++k) rig.FillAndPump(k % 8, static_cast<int16_t>(100 + k));
    // Newest is buffer 2 (value 110); the slots run 103..110.
    for (int slot = 0; slot < 8; ++slot) EXPECT_EQ(rig.SlotValue(slot), 103 + slot) << slot;
    EXPECT_EQ(rig.analyses, 11);
    EXPECT_EQ(rig.repaints, 11);
}

TEST(CaptureEngine, BurstGivesOneAnalysisAndRecyclesTheRest) {
    Rig rig;
    rig.StartRunning();
    rig.device.queued.clear();
    for (int k = 0; k < 4; ++k) rig.device.Fill(k, 1);
    rig.Pump();
    EXPECT_EQ(rig.analyses, 1);
    EXPECT_EQ(rig.device.queued, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(rig.device.QueuedCount(), 8);
    EXPECT_EQ(rig.busy, 0);
}

// Notifications that must be ignored whole: nothing read, nothing queued, no analysis.
TEST(CaptureEngine, StrangeAndStaleNotificationsAreIgnored) {
    Rig rig;
    rig.StartRunning();
    rig.device.queued.clear();
    for (int index : {kNotOurBuffer, 8, 1000, 3}) rig.Deliver(index);  // 3 is still queued: not filled
    EXPECT_TRUE(rig.device.queued.empty());
    EXPECT_EQ(rig.analyses, 0);
    EXPECT_EQ(rig.repaints, 4);
    EXPECT_EQ(rig.running, 1);
}

// A tool switch with the power on stops and restarts the capture in one handler: the stop hands all
// eight buffers back, and their announcements arrive after the restart has queued them again.
TEST(CaptureEngine, RestartIgnoresTheAnnouncementsOfTheStop) {
    Rig rig;
    rig.StartRunning();
    rig.FillAndPump(0, 7);
    rig.engine.Stop();
    EXPECT_EQ(rig.device.announced.size(), 8u);
    rig.running = rig.engine.Open(22050) ? 1 : 0;
    rig.engine.Start();
    int analyses_before = rig.analyses;
    rig.Pump();
    EXPECT_EQ(rig.device.queued_twice, 0);
    EXPECT_EQ(rig.analyses, analyses_before);
    EXPECT_EQ(rig.running, 1);
    // All eight buffers keep cycling, and the frame fills from the new run only.
    for (int round = 0; round < 3; ++round) {
        for (int k = 0; k < kCaptureBuffers; ++k) rig.FillAndPump(k, static_cast<int16_t>(10 * round + k + 1));
    }
    EXPECT_EQ(rig.device.QueuedCount(), 8);
    for (int slot = 0; slot < 8; ++slot) EXPECT_EQ(rig.SlotValue(slot), 21 + slot) << slot;
}

// A buffer the device refuses stops the capture from inside its own handler, without waiting for
// itself; while draining, the notifications after the refused one stay waiting.
TEST(CaptureEngine, FailedRequeueStopsWithoutWaitingForItself) {
    for (bool draining : {false, true}) {
        Rig rig;
        rig.StartRunning();
        rig.device.fail_queue_of = 2;
        for (int k : draining ? std::vector<int>{0, 1, 2, 3} : std::vector<int>{2}) rig.device.Fill(k, 1);
        const int first = rig.device.announced.front();
        rig.device.announced.pop_front();
        rig.Deliver(first);
        EXPECT_EQ(rig.analyses, 1) << "the assembled frame is still analysed";
        EXPECT_EQ(rig.running, 0);
        EXPECT_EQ(rig.device.closes, 1);
        EXPECT_EQ(rig.waits, 0);
        EXPECT_EQ(rig.busy, 0);
        if (draining) {
            EXPECT_EQ(rig.device.announced.front(), 3) << "the rest stays waiting";
        }
    }
}

TEST(CaptureEngine, StartFailuresEndStoppedAndClosed) {
    struct Case {
        const char* what;
        int fail_queue_of;
        bool start_ok;
        bool memory_short;
        size_t tried;
    };
    for (const Case& c : {Case{"a buffer fails", 5, true, false, 8}, Case{"start fails", -1, false, false, 8},
                          Case{"no memory for the buffers", -1, true, true, 0}}) {
        Rig rig;
        rig.device.fail_queue_of = c.fail_queue_of;
        rig.device.start_ok = c.start_ok;
        rig.engine.AllocateFrame();
        rig.memory_short = c.memory_short;
        rig.running = rig.engine.Open(22050) ? 1 : 0;
        rig.engine.Start();
        EXPECT_EQ(rig.running, 0) << c.what;
        EXPECT_EQ(rig.device.closes, 1) << c.what;
        EXPECT_FALSE(rig.device.is_open) << c.what;
        EXPECT_EQ(rig.device.queued.size(), c.tried) << c.what << ": the remaining buffers are still tried";
    }
    Rig rig;
    rig.memory_short = true;
    EXPECT_FALSE(rig.engine.AllocateFrame());
    EXPECT_EQ(rig.engine.frame(), nullptr);
}

TEST(CaptureEngine, StoppedItOnlyRepaintsAndAStopWaitsForAnotherHandler) {
    Rig rig;
    rig.engine.AllocateFrame();
    rig.engine.Start();  // not running: does nothing
    EXPECT_TRUE(rig.device.queued.empty());
    rig.Deliver(0);
    EXPECT_EQ(rig.analyses, 0);
    EXPECT_EQ(rig.repaints, 1);
    rig.StartRunning();
    rig.busy = 1;  // a playback refill is at work
    rig.engine.Stop();
    EXPECT_EQ(rig.waits, 1);
    EXPECT_EQ(rig.running, 0);
    EXPECT_EQ(rig.device.closes, 1);
    rig.engine.Stop();
    EXPECT_EQ(rig.device.closes, 1) << "a second stop finds nothing to close";
}

}  // namespace
