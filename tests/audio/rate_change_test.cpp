// A sampling-rate change as one step: stop, tables, restart, and afterwards the tuner reads the note
// the device hears, even after a pause and resume.
#include "audio/rate_change.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "app/math_constants.h"
#include "audio/detectors.h"
#include "display/spectrum_picture.h"

namespace {

struct Program {
    std::unique_ptr<AppState> state = std::make_unique<AppState>();
    std::unique_ptr<Spectra> analysis = std::make_unique<Spectra>();
    std::unique_ptr<SpectrumPicture> picture = std::make_unique<SpectrumPicture>();
    TunerDetectorState tuner;
    int device_half_rate = 0;  // the rate the device runs at; 0 closed
    std::vector<std::string> steps;

    RateChangeSteps Steps() {
        return {[this] { Device("stop", 0); },
                [this](int half) {
                    steps.push_back("tables " + std::to_string(half));
                    analysis->BuildTables(half);
                },
                [this](int half) { Device("start " + std::to_string(half), half); }};
    }
    void Device(const std::string& step, int half_rate) {
        steps.push_back(step);
        device_half_rate = half_rate;
        state->capture_running = half_rate ? 1 : 0;
    }
    // The tuner's reading of A4 as the device records it.
    int TunerNoteOfA4() {
        std::vector<int16_t> frame(kFrameSamples);
        for (int i = 0; i < kFrameSamples; ++i) {
            frame[i] = static_cast<int16_t>(10000 * std::sin(2 * kPi * 440.0 * i / (2 * device_half_rate)));
        }
        for (int i = 0; i < 4; ++i) RunDetector(*state, *analysis, *picture, tuner, frame.data());
        return state->detected_note;
    }
};

TEST(RateChange, StopsRebuildsAndRestartsAsOneStep) {
    const struct {
        bool running;
        int new_hz;
        std::vector<std::string> steps;
    } cases[] = {
        {true, 22050, {"stop", "tables 11025", "start 11025"}},
        {false, 22050, {"tables 11025"}},
        {true, 44100, {}},  // unchanged
    };
    for (const auto& c : cases) {
        Program p;
        p.state->current_tool = kToolTuner;
        p.state->sampling_hz = 44100;
        p.state->half_sampling_hz = 22050;
        p.analysis->BuildTables(22050);
        p.device_half_rate = c.running ? 22050 : 0;
        p.state->capture_running = c.running ? 1 : 0;
        EXPECT_EQ(ApplySamplingRate(*p.state, c.new_hz, p.Steps()), !c.steps.empty()) << c.new_hz;
        EXPECT_EQ(p.steps, c.steps) << c.new_hz;
        EXPECT_EQ(p.state->half_sampling_hz, c.new_hz / 2);
        // A pause and resume reopens the device at the state's rate; the reading must not move.
        p.device_half_rate = p.state->half_sampling_hz;
        EXPECT_EQ(p.TunerNoteOfA4(), 49) << "A4 after the change to " << c.new_hz;
    }
}

}  // namespace
