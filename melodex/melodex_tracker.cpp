// Melodex's capture and frame analysis on the shared capture engine.
#include "melodex/melodex_tracker.h"

MelodexTracker::MelodexTracker(CaptureDevice& device, Spectra& analysis, SampleAllocator allocate)
    : engine_(
          device, CaptureFlags{running_, never_busy_}, [] {}, std::move(allocate)),
      analysis_(analysis) {}

void MelodexTracker::Initialize() {
    if (running_) return;
    analysis_.BuildTables(kMelodexHalfRate);
    frame_ready_ = engine_.AllocateFrame();
}

bool MelodexTracker::Start() {
    if (running_) return true;
    running_ = engine_.Open(kMelodexHalfRate) ? 1 : 0;
    if (running_) engine_.Start();
    return running_ != 0;
}

void MelodexTracker::Stop() {
    engine_.Stop();
}

void MelodexTracker::Proc(int index, bool with_long) {
    if (!frame_ready_ || !running_) return;
    NoBacklog none;
    engine_.OnData(
        index, none,
        [this, with_long](const int16_t* frame) {
            analysis_.Compute(frame, with_long);
            for (int column = 0; column < kKeyCount; ++column) analysis_.ColumnLevel(column, 1);
        },
        [] {});
}
