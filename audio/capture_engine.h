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
class CaptureDevice {
public:
    virtual ~CaptureDevice() = default;
    // Opens the default input at this rate (16-bit mono); false when it can't.
    virtual bool Open(int samples_per_second) = 0;
    // Describes buffer `index` (its samples) to the device; called once per start, in order.
    virtual void Attach(int index, int16_t* samples, int sample_count) = 0;
    // Prepares and queues buffer `index`; false when either step fails.
    virtual bool Queue(int index) = 0;
    virtual bool Start() = 0;
    // Stops, resets, unprepares every attached buffer and closes the device.
    virtual void Close() = 0;
};

// Further notifications already waiting for the window, taken one at a time.
class PendingNotifications {
public:
    virtual ~PendingNotifications() = default;
    // Removes the next waiting notification and gives its buffer's samples; false when none waits.
    virtual bool Next(const int16_t*& samples) = 0;
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

    CaptureEngine(CaptureDevice& device, CaptureFlags flags, Wait wait_a_moment);

    // The frame lives from window creation to destruction.
    void AllocateFrame();
    void FreeFrame();
    const int16_t* frame() const { return frame_.get(); }

    // Opens the device at twice the half rate; the caller keeps the result in `running`.
    bool Open(int half_sampling_hz);
    // Lays out fresh zeroed buffers and queues all eight; any failure ends in a stopped capture.
    void Start();
    // Stops and closes; waits for a running handler unless called from inside one.
    void Stop();

    // One filled-buffer notification: build the frame, give the buffer back, analyse, drain the
    // backlog without analysing it, and ask for a repaint.
    void OnData(const int16_t* filled, PendingNotifications& pending, const Analyse& analyse, const Repaint& repaint);

    // Index of the buffer holding these samples; a buffer not in the table counts as 0.
    int BufferIndex(const int16_t* samples) const;

private:
    void StopFromHandler();
    void Close();

    CaptureDevice& device_;
    CaptureFlags flags_;
    Wait wait_a_moment_;
    std::unique_ptr<int16_t[]> frame_;
    std::unique_ptr<int16_t[]> block_;
    bool in_handler_ = false;
};

#endif
