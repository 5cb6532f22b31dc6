// The sampling rate changes only with the capture stopped and the tables rebuilt.
#include "audio/rate_change.h"

bool ApplySamplingRate(AppState& state, int sampling_hz, const RateChangeSteps& steps) {
    if (sampling_hz == state.sampling_hz) return false;
    bool was_running = state.capture_running != 0;
    if (was_running) steps.stop_capture();
    state.sampling_hz = sampling_hz;
    state.half_sampling_hz = sampling_hz / 2;
    steps.rebuild_tables(state.half_sampling_hz);
    if (was_running) steps.restart_capture(state.half_sampling_hz);
    return true;
}
