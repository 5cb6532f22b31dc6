// The analysis log: one text line per accepted detection while a log file is chosen.
#ifndef HARMOLAB_AUDIO_ANALYSIS_LOG_H
#define HARMOLAB_AUDIO_ANALYSIS_LOG_H

#include <string>

#include "app/app_state.h"

// "HH:MM:SS.mmm,tool,note,frequency,cents": tool is "spectrum" or "tuner", the note name is
// empty in frequency mode, the cents are empty without a tuner reading.
std::string FormatAnalysisLogLine(int time_of_day_ms, const AppState& state);

// Appends the line for the current results to state.log_file; nothing when no file is chosen or
// it can't be opened.
void AppendAnalysisLog(const AppState& state);

#endif
