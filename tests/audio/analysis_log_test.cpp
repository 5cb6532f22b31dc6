// Analysis log lines for each tool and mode.
#include "audio/analysis_log.h"

#include <gtest/gtest.h>

namespace {

TEST(AnalysisLog, LinePerToolAndMode) {
    const struct {
        int tool, plot_mode, note, frequency, cents;
        const char* line;
    } cases[] = {
        {kToolSpectrum, 1, 49, 440, -100, "13:04:05.006,spectrum,A3,440,"},
        {kToolSpectrum, 0, 49, 444, -100, "13:04:05.006,spectrum,,444,"},
        {kToolTuner, 0, 49, 440, 12, "13:04:05.006,tuner,A4,440,12"},
        {kToolTuner, 0, 1, 27, -100, "13:04:05.006,tuner,A0,27,"},
        {kToolTuner, 0, 88, 4186, -3, "13:04:05.006,tuner,C8,4186,-3"},
    };
    for (const auto& c : cases) {
        AppState state;
        state.current_tool = c.tool;
        state.plot_mode = c.plot_mode;
        state.detected_note = c.note;
        state.display_frequency = c.frequency;
        state.cents_offset = c.cents;
        EXPECT_EQ(FormatAnalysisLogLine(((13 * 60 + 4) * 60 + 5) * 1000 + 6, state), c.line);
    }
}

}  // namespace
