// Offline analysis: a recording fed through the live capture path, buffer by buffer, so a file
// is analysed exactly as the microphone would be.
#ifndef HARMOLAB_AUDIO_OFFLINE_ANALYSIS_H
#define HARMOLAB_AUDIO_OFFLINE_ANALYSIS_H

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

enum class OfflineDetector { kNote, kFrequency, kTuner };

struct OfflineOptions {
    OfflineDetector detector = OfflineDetector::kNote;
    int target_note = 0;  // tuner target key 1..88, 0 automatic
    int zoom_level = 1;   // frequency mode
    int a4_hz = 440;      // reference pitch, 430..450
};

struct OfflineRow {
    double time_s;      // end of the analysed buffer
    int detected_note;  // 0 none
    std::string note_name;
    int display_frequency;
    int cents_offset;  // -100 none
};

// Runs the chosen detector once per 1024-sample buffer of the recording.
void AnalyseRecording(const std::vector<int16_t>& mono, int sample_rate, const OfflineOptions& options,
                      const std::function<void(const OfflineRow&)>& row);

// One CSV line: time,note,name,frequency,cents.
std::string FormatOfflineRow(const OfflineRow& row);

#endif
