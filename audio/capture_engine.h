// The capture path without the device: eight circulating buffers, the analysis frame built from
// them, re-queueing, and the drain that keeps one burst of notifications to one analysis.
#ifndef HARMOLAB_AUDIO_CAPTURE_ENGINE_H
#define HARMOLAB_AUDIO_CAPTURE_ENGINE_H

#include <cstdint>
#include <functional>
#include <memory>

#include "app/shared_value.h"

constexpr int kCaptureBuffers = 8;
constexpr int kCaptureBufferSamples = 1024;  // 2048 bytes of 16-bit mono
constexpr int kAnalysisFrameSamples = kCaptureBuffers * kCaptureBufferSamples;

// The wave-input device as the capture sees it. Buffers are named by their index 0..7.
// Like the real device, a stop hands every queued buffer back, and each handed-back buffer is
// announced once; announcements of an earlier run may still be waiting after a restart.
class CaptureDevice {
public:
    virtual ~CaptureDevice() = default;
    // Opens the default input at this rate (16-bit mono); false when it can't.
    virtual bool Open(int samples_per_second) = 0;
    // Describes buffer `index` (its samples) to the device; called once per start, in order.
    virtual void Attach(int index, int16_t* samples, int sample_count) = 0;
    // Prepares and queues buffer `index`; false when either step fails.
    virtual bool Queue(int index) = 0;
    // True when the device has handed buffer `index` back filled and it is not queued again.
    virtual bool IsFilled(int index) const = 0;
    virtual bool Start() = 0;
    // Stops, resets, unprepares every attached buffer and closes the device.
    virtual void Close() = 0;
};

// A notification that names none of the capture's buffers.
constexpr int kNotOurBuffer = -1;

// Further notifications already waiting for the window, taken one at a time.
class PendingNotifications {
public:
    virtual ~PendingNotifications() = default;
    // Removes the next waiting notification and gives its buffer index (kNotOurBuffer when the
    // notification names no buffer of ours); false when none waits.
    virtual bool Next(int& index) = 0;
};

// Zero-filled sample storage, or null when memory is short.
using SampleAllocator = std::function<std::unique_ptr<int16_t[]>(int samples)>;
std::unique_ptr<int16_t[]> AllocateSamples(int samples);

// For captures whose notifications never queue up: there is never a backlog to drop.
class NoBacklog : public PendingNotifications {
public:
    bool Next(int&) override { return false; }
};

// The flags the capture shares with the rest of the program.
struct CaptureFlags {
    Shared<int>& running;  // device open and buffers circulating
    Shared<int>& busy;     // a buffer handler is at work on the main thread
};

class CaptureEngine {
public:
    using Analyse = std::function<void(const int16_t* frame)>;
    using Repaint = std::function<void()>;
    using Wait = std::function<void()>;  // one short pause while a handler finishes

    CaptureEngine(CaptureDevice& device, CaptureFlags flags, Wait wait_a_moment,
                  SampleAllocator allocate = AllocateSamples);

    // The frame lives from window creation to destruction; false when there is no memory for it.
    bool AllocateFrame();
    void FreeFrame();
    const int16_t* frame() const { return frame_.get(); }

    // Opens the device at twice the half rate; the caller keeps the result in `running`.
    bool Open(int half_sampling_hz);
    // Lays out fresh zeroed buffers and queues all eight; any failure (memory included) ends in a
    // closed device and a stopped capture.
    void Start();
    // Stops and closes; waits for a running handler unless called from inside one.
    void Stop();

    // One filled-buffer notification for buffer `filled`: build the frame, give the buffer back,
    // analyse, drain the backlog without analysing it, and ask for a repaint. A notification for a
    // buffer that is not ours, or that the device has not handed back filled (an announcement left
    // over from before a restart, whose buffer is queued again), is ignored: its buffer is neither
    // read nor queued a second time.
    void OnData(int filled, PendingNotifications& pending, const Analyse& analyse, const Repaint& repaint);

private:
    bool IsFilled(int index) const;
    void StopFromHandler();
    void Close();

    CaptureDevice& device_;
    CaptureFlags flags_;
    Wait wait_a_moment_;
    SampleAllocator allocate_;
    std::unique_ptr<int16_t[]> frame_;
    std::unique_ptr<int16_t[]> block_;
    bool in_handler_ = false;
};

#endif
