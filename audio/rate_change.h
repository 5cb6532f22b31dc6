// A sampling-rate change applied as one step, so that the device, the analysis tables, the cents
// estimate and the frequency labels always work at the same rate.
#ifndef HARMOLAB_AUDIO_RATE_CHANGE_H
#define HARMOLAB_AUDIO_RATE_CHANGE_H

#include <functional>

#include "app/app_state.h"

// What a rate change does to the running program, in the order ApplySamplingRate calls it.
struct RateChangeSteps {
    std::function<void()> stop_capture;
    std::function<void(int half_sampling_hz)> rebuild_tables;
    std::function<void(int half_sampling_hz)> restart_capture;  // open at the new rate and start
};

// Takes the new rate (already checked) into `state`: a running capture stops first, the tables are
// rebuilt for the new rate, and the capture restarts at it. False, doing nothing, when the rate
// is the one in use.
bool ApplySamplingRate(AppState& state, int sampling_hz, const RateChangeSteps& steps);

#endif
