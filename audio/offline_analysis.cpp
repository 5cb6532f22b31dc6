// The capture path driven from a recording instead of a device.
#include "audio/offline_analysis.h"

#include <algorithm>
#include <cstdio>

#include "app/app_state.h"
#include "audio/capture_engine.h"
#include "audio/detectors.h"
#include "audio/note_names.h"
#include "display/spectrum_picture.h"

namespace {

// A device whose buffers are filled from the recording as the analysis asks for them.
class RecordingDevice : public CaptureDevice {
public:
    int16_t* buffers[kCaptureBuffers] = {};
    bool Open(int) override { return true; }
    void Attach(int index, int16_t* samples, int) override { buffers[index] = samples; }
    bool Queue(int) override { return true; }
    // Each buffer is handed back as soon as the recording has filled it.
    bool IsFilled(int) const override { return true; }
    bool Start() override { return true; }
    void Close() override {}
};

class NoBacklog : public PendingNotifications {
public:
    bool Next(int&) override { return false; }
};

int SampleAt(const uint8_t* p, int bits) {
    switch (bits) {
        case 8: return (static_cast<int>(p[0]) - 128) * 256;
        case 16: return static_cast<int16_t>(p[0] | (p[1] << 8));
        case 24: return static_cast<int16_t>(p[1] | (p[2] << 8));
        default: return static_cast<int16_t>(p[2] | (p[3] << 8));
    }
}

}  // namespace

std::vector<int16_t> MonoSamples(const uint8_t* data, size_t bytes, int channels, int bits_per_sample) {
    std::vector<int16_t> mono;
    if (channels < 1 ||
        (bits_per_sample != 8 && bits_per_sample != 16 && bits_per_sample != 24 && bits_per_sample != 32)) {
        return mono;
    }
    size_t sample_bytes = static_cast<size_t>(bits_per_sample / 8);
    size_t frame_bytes = sample_bytes * static_cast<size_t>(channels);
    mono.reserve(bytes / frame_bytes);
    for (size_t at = 0; at + frame_bytes <= bytes; at += frame_bytes) {
        long sum = 0;
        for (int c = 0; c < channels; ++c) sum += SampleAt(data + at + c * sample_bytes, bits_per_sample);
        mono.push_back(static_cast<int16_t>(sum / channels));
    }
    return mono;
}

void AnalyseRecording(const std::vector<int16_t>& mono, int sample_rate, const OfflineOptions& options,
                      const std::function<void(const OfflineRow&)>& row) {
    auto state = std::make_unique<AppState>();
    state->half_sampling_hz = sample_rate / 2;
    state->current_tool = options.detector == OfflineDetector::kTuner ? kToolTuner : kToolSpectrum;
    state->plot_mode = options.detector == OfflineDetector::kNote ? 1 : 0;
    state->zoom_level = options.zoom_level;
    state->target_note = options.target_note;
    state->reference_a4_hz = options.a4_hz;

    auto analysis = std::make_unique<Spectra>();
    analysis->BuildTables(state->half_sampling_hz, state->reference_a4_hz);
    auto picture = std::make_unique<SpectrumPicture>();
    TunerDetectorState tuner;
    RecordingDevice device;
    CaptureEngine engine(device, CaptureFlags{state->capture_running, state->refill_busy}, [] {});
    engine.AllocateFrame();
    state->capture_running = engine.Open(state->half_sampling_hz) ? 1 : 0;
    engine.Start();

    NoBacklog none;
    size_t buffers = mono.size() / kCaptureBufferSamples;
    for (size_t b = 0; b < buffers; ++b) {
        int k = static_cast<int>(b % kCaptureBuffers);
        std::copy_n(&mono[b * kCaptureBufferSamples], kCaptureBufferSamples, device.buffers[k]);
        engine.OnData(
            k, none, [&](const int16_t* frame) { RunDetector(*state, *analysis, *picture, tuner, frame); }, [] {});
        std::string name = options.detector == OfflineDetector::kNote    ? SpectrumNoteName(state->detected_note)
                           : options.detector == OfflineDetector::kTuner ? TunerNoteName(state->detected_note)
                                                                         : "";
        row({static_cast<double>((b + 1) * kCaptureBufferSamples) / sample_rate, state->detected_note, name,
             state->display_frequency, state->cents_offset});
    }
    engine.Stop();
}

std::string FormatOfflineRow(const OfflineRow& row) {
    char line[128];
    std::snprintf(line, sizeof(line), "%.4f,%d,%s,%d,%d", row.time_s, row.detected_note, row.note_name.c_str(),
                  row.display_frequency, row.cents_offset);
    return line;
}
