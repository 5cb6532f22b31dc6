// Capture buffer bookkeeping against a fake device: frame order, re-queueing, drains and stops.
#include "audio/capture_engine.h"

#include <gtest/gtest.h>

#include <deque>
#include <vector>

namespace {

class FakeDevice : public CaptureDevice {
public:
    bool open_ok = true;
    bool start_ok = true;
    int fail_queue_of = -1;  // this buffer index fails to queue
    int opened_rate = 0;
    int closes = 0;
    std::vector<int> queued;
    int16_t* samples[kCaptureBuffers] = {};

    bool Open(int rate) override {
        opened_rate = rate;
        return open_ok;
    }
    void Attach(int index, int16_t* data, int count) override {
        EXPECT_EQ(count, kCaptureBufferSamples);
        samples[index] = data;
    }
    bool Queue(int index) override {
        queued.push_back(index);
        return index != fail_queue_of;
    }
    bool Start() override { return start_ok; }
    void Close() override { ++closes; }

    // The device fills buffer `index` with a recognisable value.
    void Fill(int index, int16_t value) {
        for (int i = 0; i < kCaptureBufferSamples; ++i) samples[index][i] = value;
    }
};

class FakeBacklog : public PendingNotifications {
public:
    std::deque<const int16_t*> waiting;
    bool Next(const int16_t*& s) override {
        if (waiting.empty()) return false;
        s = waiting.front();
        waiting.pop_front();
        return true;
    }
};

struct Rig {
    Shared<int> running{0};
    Shared<int> busy{0};
    int waits = 0;
    FakeDevice device;
    CaptureEngine engine{device, CaptureFlags{running, busy}, [this] {
                             ++waits;
                             busy = 0;  // the other handler finishes while we wait
                         }};
    int analyses = 0;
    int repaints = 0;
    std::vector<int16_t> last_frame;

    void StartRunning() {
        engine.AllocateFrame();
        running = engine.Open(22050) ? 1 : 0;
        engine.Start();
    }
    void Deliver(int index, FakeBacklog* backlog = nullptr) {
        FakeBacklog none;
        engine.OnData(
            device.samples[index], backlog ? *backlog : none,
            [this](const int16_t* frame) {
                ++analyses;
                last_frame.assign(frame, frame + kAnalysisFrameSamples);
                EXPECT_EQ(busy, 1);
            },
            [this] { ++repaints; });
    }
    int16_t SlotValue(int slot) const { return last_frame[slot * kCaptureBufferSamples]; }
};

TEST(CaptureEngine, OpensAtTwiceTheHalfRateAndQueuesAllEight) {
    Rig rig;
    rig.StartRunning();
    EXPECT_EQ(rig.device.opened_rate, 44100);
    EXPECT_EQ(rig.running, 1);
    EXPECT_EQ(rig.device.queued, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));

    CaptureEngine& engine = rig.engine;
    EXPECT_TRUE(engine.Open(5512));
    EXPECT_EQ(rig.device.opened_rate, 11024);
}

TEST(CaptureEngine, FrameIsOldestFirstWithZerosBeforeEightBuffers) {
    Rig rig;
    rig.StartRunning();
    for (int k = 0; k < 3; ++k) {
        rig.device.Fill(k, static_cast<int16_t>(100 + k));
        rig.Deliver(k);
    }
    // After three buffers the five older slots still hold the zeroed block.
    for (int slot = 0; slot < 5; ++slot) EXPECT_EQ(rig.SlotValue(slot), 0) << slot;
    EXPECT_EQ(rig.SlotValue(5), 100);
    EXPECT_EQ(rig.SlotValue(6), 101);
    EXPECT_EQ(rig.SlotValue(7), 102);

    for (int k = 3; k < 11; ++k) {
        rig.device.Fill(k % 8, static_cast<int16_t>(100 + k));
        rig.Deliver(k % 8);
    }
    // Newest is buffer 2 (value 110); the slots run 103..110.
    for (int slot = 0; slot < 8; ++slot) EXPECT_EQ(rig.SlotValue(slot), 103 + slot) << slot;
    EXPECT_EQ(rig.analyses, 11);
    EXPECT_EQ(rig.repaints, 11);
}

TEST(CaptureEngine, BurstGivesOneAnalysisAndRecyclesTheRest) {
    Rig rig;
    rig.StartRunning();
    rig.device.queued.clear();
    FakeBacklog backlog;
    backlog.waiting = {rig.device.samples[1], rig.device.samples[2], rig.device.samples[3]};
    rig.Deliver(0, &backlog);
    EXPECT_EQ(rig.analyses, 1);
    EXPECT_TRUE(backlog.waiting.empty());
    EXPECT_EQ(rig.device.queued, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(rig.busy, 0);
}

TEST(CaptureEngine, UnknownBufferCountsAsFirst) {
    Rig rig;
    rig.StartRunning();
    rig.device.queued.clear();
    int16_t stranger[kCaptureBufferSamples] = {};
    EXPECT_EQ(rig.engine.BufferIndex(stranger), 0);
    FakeBacklog none;
    rig.engine.OnData(
        stranger, none, [](const int16_t*) {}, [] {});
    EXPECT_EQ(rig.device.queued, (std::vector<int>{0}));
}

TEST(CaptureEngine, FailedRequeueStopsWithoutWaitingForItself) {
    Rig rig;
    rig.StartRunning();
    rig.device.fail_queue_of = 4;
    rig.Deliver(4);
    EXPECT_EQ(rig.analyses, 1) << "the assembled frame is still analysed";
    EXPECT_EQ(rig.running, 0);
    EXPECT_EQ(rig.device.closes, 1);
    EXPECT_EQ(rig.waits, 0);
    EXPECT_EQ(rig.busy, 0);
}

TEST(CaptureEngine, FailedRequeueWhileDrainingStopsDraining) {
    Rig rig;
    rig.StartRunning();
    rig.device.fail_queue_of = 2;
    FakeBacklog backlog;
    backlog.waiting = {rig.device.samples[1], rig.device.samples[2], rig.device.samples[3]};
    rig.Deliver(0, &backlog);
    EXPECT_EQ(rig.running, 0);
    EXPECT_EQ(backlog.waiting.size(), 1u);
    EXPECT_EQ(rig.device.closes, 1);
}

TEST(CaptureEngine, StartFailuresEndStopped) {
    struct Case {
        const char* what;
        int fail_queue_of;
        bool start_ok;
    };
    for (const Case& c : {Case{"a buffer fails", 5, true}, Case{"start fails", -1, false}}) {
        Rig rig;
        rig.device.fail_queue_of = c.fail_queue_of;
        rig.device.start_ok = c.start_ok;
        rig.StartRunning();
        EXPECT_EQ(rig.running, 0) << c.what;
        EXPECT_EQ(rig.device.closes, 1) << c.what;
        EXPECT_EQ(rig.device.queued.size(), 8u) << c.what << ": the remaining buffers are still tried";
    }
}

TEST(CaptureEngine, NothingHappensWhileStoppedButTheRepaint) {
    Rig rig;
    rig.engine.AllocateFrame();
    rig.engine.Start();  // not running: does nothing
    EXPECT_TRUE(rig.device.queued.empty());

    int16_t samples[kCaptureBufferSamples] = {};
    FakeBacklog backlog;
    int repaints = 0;
    rig.engine.OnData(
        samples, backlog, [](const int16_t*) { FAIL(); }, [&] { ++repaints; });
    EXPECT_EQ(repaints, 1);
}

TEST(CaptureEngine, StopWaitsForAnotherHandler) {
    Rig rig;
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
