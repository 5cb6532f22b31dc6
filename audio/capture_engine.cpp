// Capture buffer bookkeeping and frame assembly.
#include "audio/capture_engine.h"

#include <algorithm>
#include <cstring>

CaptureEngine::CaptureEngine(CaptureDevice& device, CaptureFlags flags, Wait wait_a_moment)
    : device_(device), flags_(flags), wait_a_moment_(std::move(wait_a_moment)) {}

void CaptureEngine::AllocateFrame() {
    frame_ = std::make_unique<int16_t[]>(kAnalysisFrameSamples);  // zero-filled
    block_.reset();
}

void CaptureEngine::FreeFrame() {
    frame_.reset();
}

bool CaptureEngine::Open(int half_sampling_hz) {
    return device_.Open(2 * half_sampling_hz);
}

void CaptureEngine::Start() {
    if (!flags_.running) return;
    block_ = std::make_unique<int16_t[]>(kAnalysisFrameSamples);  // zero-filled
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

int CaptureEngine::BufferIndex(const int16_t* samples) const {
    if (!block_) return 0;
    for (int k = 0; k < kCaptureBuffers; ++k) {
        if (samples == &block_[k * kCaptureBufferSamples]) return k;
    }
    return 0;
}

void CaptureEngine::OnData(const int16_t* filled, PendingNotifications& pending, const Analyse& analyse,
                           const Repaint& repaint) {
    if (frame_ && flags_.running && block_) {
        flags_.busy = 1;
        in_handler_ = true;
        int newest = BufferIndex(filled);
        // Oldest first: the buffer after the newest was filled longest ago.
        for (int slot = 0; slot < kCaptureBuffers; ++slot) {
            int k = (newest + 1 + slot) % kCaptureBuffers;
            std::memcpy(&frame_[slot * kCaptureBufferSamples], &block_[k * kCaptureBufferSamples],
                        kCaptureBufferSamples * sizeof(int16_t));
        }
        if (!device_.Queue(newest)) StopFromHandler();
        analyse(frame_.get());
        const int16_t* waiting = nullptr;
        while (flags_.running && pending.Next(waiting)) {
            if (!device_.Queue(BufferIndex(waiting))) {
                StopFromHandler();
                break;
            }
        }
        in_handler_ = false;
    }
    flags_.busy = 0;
    repaint();
}
