// Capture buffer bookkeeping and frame assembly.
#include "audio/capture_engine.h"

#include <algorithm>
#include <cstring>
#include <new>

std::unique_ptr<int16_t[]> AllocateSamples(int samples) {
    return std::unique_ptr<int16_t[]>(new (std::nothrow) int16_t[samples]());
}

CaptureEngine::CaptureEngine(CaptureDevice& device, CaptureFlags flags, Wait wait_a_moment, SampleAllocator allocate)
    : device_(device), flags_(flags), wait_a_moment_(std::move(wait_a_moment)), allocate_(std::move(allocate)) {}

bool CaptureEngine::AllocateFrame() {
    frame_ = allocate_(kAnalysisFrameSamples);
    block_.reset();
    return frame_ != nullptr;
}

void CaptureEngine::FreeFrame() {
    frame_.reset();
}

bool CaptureEngine::Open(int half_sampling_hz) {
    return device_.Open(2 * half_sampling_hz);
}

void CaptureEngine::Start() {
    if (!flags_.running) return;
    block_ = allocate_(kAnalysisFrameSamples);
    if (!block_) {
        // Nothing is queued yet: closing the device is all there is to undo.
        device_.Close();
        flags_.running = 0;
        return;
    }
    for (int k = 0; k < kCaptureBuffers; ++k)
        device_.Attach(k, &block_[k * kCaptureBufferSamples], kCaptureBufferSamples);
    bool all_queued = true;
    for (int k = 0; k < kCaptureBuffers; ++k) all_queued = device_.Queue(k) && all_queued;
    if (!all_queued || !device_.Start()) Stop();
}

void CaptureEngine::Stop() {
    flags_.running = 0;
    if (!in_handler_) {
        while (flags_.busy) wait_a_moment_();
    }
    Close();
}

void CaptureEngine::StopFromHandler() {
    flags_.running = 0;
    Close();
}

void CaptureEngine::Close() {
    if (!block_) return;
    device_.Close();
    block_.reset();
}

bool CaptureEngine::IsFilled(int index) const {
    return block_ && index >= 0 && index < kCaptureBuffers && device_.IsFilled(index);
}

void CaptureEngine::OnData(int filled, PendingNotifications& pending, const Analyse& analyse, const Repaint& repaint) {
    if (frame_ && flags_.running && IsFilled(filled)) {
        flags_.busy = 1;
        in_handler_ = true;
        // Oldest first: the buffer after the newest was filled longest ago.
        for (int slot = 0; slot < kCaptureBuffers; ++slot) {
            int k = (filled + 1 + slot) % kCaptureBuffers;
            std::memcpy(&frame_[slot * kCaptureBufferSamples], &block_[k * kCaptureBufferSamples],
                        kCaptureBufferSamples * sizeof(int16_t));
        }
        if (!device_.Queue(filled)) StopFromHandler();
        analyse(frame_.get());
        int waiting = kNotOurBuffer;
        while (flags_.running && pending.Next(waiting)) {
            if (!IsFilled(waiting)) continue;
            if (!device_.Queue(waiting)) {
                StopFromHandler();
                break;
            }
        }
        in_handler_ = false;
    }
    flags_.busy = 0;
    repaint();
}
