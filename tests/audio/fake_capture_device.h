// A wave-input device for the tests, with the real one's buffer life: queued, filled, handed back.
#ifndef HARMOLAB_TESTS_AUDIO_FAKE_CAPTURE_DEVICE_H
#define HARMOLAB_TESTS_AUDIO_FAKE_CAPTURE_DEVICE_H

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <vector>

#include "audio/capture_engine.h"

// Behaves as the wave-input device does: a queued buffer comes back filled with one announcement,
// a stop hands back (and announces) every buffer still queued, and a queued buffer can't be queued
// again (the real device refuses, and the capture then stops).
class FakeDevice : public CaptureDevice {
public:
    enum class Buffer { kIdle, kQueued, kFilled };

    bool open_ok = true;
    bool start_ok = true;
    bool is_open = false;
    int fail_queue_of = -1;  // this buffer index fails to queue
    int opened_rate = 0;
    int closes = 0;
    int queued_twice = 0;
    std::vector<int> queued;
    int16_t* samples[kCaptureBuffers] = {};
    Buffer state[kCaptureBuffers] = {};
    std::deque<int> announced;  // the window's queue of buffer-done notifications

    bool Open(int rate) override {
        opened_rate = rate;
        is_open = open_ok;
        return open_ok;
    }
    void Attach(int index, int16_t* data, int count) override {
        EXPECT_EQ(count, kCaptureBufferSamples);
        samples[index] = data;
        state[index] = Buffer::kIdle;
    }
    bool Queue(int index) override {
        queued.push_back(index);
        if (state[index] == Buffer::kQueued) {
            ++queued_twice;
            return false;
        }
        if (index == fail_queue_of) return false;
        state[index] = Buffer::kQueued;
        return true;
    }
    bool IsFilled(int index) const override { return is_open && state[index] == Buffer::kFilled; }
    bool Start() override { return start_ok; }
    void Close() override {
        ++closes;
        for (int k = 0; k < kCaptureBuffers; ++k) {
            if (state[k] == Buffer::kQueued) HandBack(k);
        }
        is_open = false;
    }

    // The device fills queued buffer `index` with a recognisable value and announces it.
    void Fill(int index, int16_t value) {
        ASSERT_EQ(state[index], Buffer::kQueued) << "buffer " << index << " is not the device's to fill";
        for (int i = 0; i < kCaptureBufferSamples; ++i) samples[index][i] = value;
        HandBack(index);
    }
    int QueuedCount() const { return static_cast<int>(std::count(state, state + kCaptureBuffers, Buffer::kQueued)); }

private:
    void HandBack(int index) {
        state[index] = Buffer::kFilled;
        announced.push_back(index);
    }
};

#endif
