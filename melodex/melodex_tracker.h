// The Melodex tracking loop without the device: a capture of its own at 44100 Hz, one frame
// analysis per notification the host hands back, and the running flag the host asks about.
#ifndef HARMOLAB_MELODEX_MELODEX_TRACKER_H
#define HARMOLAB_MELODEX_MELODEX_TRACKER_H

#include "audio/capture_engine.h"
#include "audio/spectra.h"

constexpr int kMelodexHalfRate = 22050;

class MelodexTracker {
public:
    // `analysis` holds the transforms the frames go through (large: keep it in static storage).
    MelodexTracker(CaptureDevice& device, Spectra& analysis, SampleAllocator allocate = AllocateSamples);

    // Builds the tables and a fresh zeroed frame. Refused while the capture runs: the running
    // buffers and the frame they fill stay as they are.
    void Initialize();
    // Opens and starts the capture unless it already runs; true while it runs.
    bool Start();
    // Stops and closes the capture without waiting for anything.
    void Stop();
    bool Running() const { return running_ != 0; }
    // One notification for buffer `index`: frame, re-queue, then both spectra (the long one only
    // when `with_long`) and the peak of each of the 88 columns. Nothing of it is kept.
    void Proc(int index, bool with_long);

private:
    // The library has no busy handler of its own, so stopping never waits.
    Shared<int> running_{0};
    Shared<int> never_busy_{0};
    CaptureEngine engine_;
    Spectra& analysis_;
    bool frame_ready_ = false;
};

#endif
