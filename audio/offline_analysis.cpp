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

}  // namespace

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
