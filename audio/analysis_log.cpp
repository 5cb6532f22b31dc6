// Analysis log lines.
#include "audio/analysis_log.h"

#include <chrono>
#include <cstdio>
#include <ctime>

#include "app/utf8_file.h"
#include "audio/note_names.h"

namespace {

int LocalTimeOfDayMs() {
    auto now = std::chrono::system_clock::now();
    std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    std::tm local = *std::localtime(&seconds);
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    return ((local.tm_hour * 60 + local.tm_min) * 60 + local.tm_sec) * 1000 + static_cast<int>(ms);
}

}  // namespace

std::string FormatAnalysisLogLine(int time_of_day_ms, const AppState& state) {
    bool tuner = state.current_tool == kToolTuner;
    bool with_note = tuner || (state.plot_mode & 1);
    std::string note = !with_note ? ""
                       : tuner    ? TunerNoteName(state.detected_note)
                                  : SpectrumNoteName(state.detected_note);
    std::string cents = (tuner && state.cents_offset != -100) ? std::to_string(state.cents_offset) : "";
    int ms = time_of_day_ms % 1000;
    int s = time_of_day_ms / 1000;
    char time_text[32];
    std::snprintf(time_text, sizeof(time_text), "%02d:%02d:%02d.%03d", (s / 3600) % 24, (s / 60) % 60, s % 60, ms);
    return std::string(time_text) + "," + (tuner ? "tuner" : "spectrum") + "," + note + "," +
           std::to_string(state.display_frequency) + "," + cents;
}

void AppendAnalysisLog(const AppState& state) {
    if (state.log_file.empty()) return;
    std::FILE* file = OpenFileUtf8(state.log_file, "ab");
    if (!file) return;
    std::string line = FormatAnalysisLogLine(LocalTimeOfDayMs(), state) + "\r\n";
    std::fwrite(line.data(), 1, line.size(), file);
    std::fclose(file);
}
