// harmolab_analyze: runs a WAV file through the live capture path and one detector and prints one
// CSV line per analysed 1024-sample buffer.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "audio/key_frequency.h"
#include "audio/offline_analysis.h"
#include "wavetools/pcm.h"
#include "wavetools/wave_file.h"
#include "wavetools/wave_source.h"

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: harmolab_analyze [--mode note|frequency|tuner] [--target KEY] [--zoom 1|2|3] [--a4 HZ] "
                 "FILE.wav\n"
                 "  --a4 HZ: reference pitch, A4 = 430..450 Hz (default 440)\n"
                 "  prints time_s,note,name,frequency_hz,cents for every 1024-sample buffer\n");
    return 2;
}

bool ParseMode(const char* text, OfflineDetector& mode) {
    if (std::strcmp(text, "note") == 0)
        mode = OfflineDetector::kNote;
    else if (std::strcmp(text, "frequency") == 0)
        mode = OfflineDetector::kFrequency;
    else if (std::strcmp(text, "tuner") == 0)
        mode = OfflineDetector::kTuner;
    else
        return false;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    OfflineOptions options;
    std::string path;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        bool has_value = i + 1 < argc;
        if (arg == "--mode" && has_value) {
            if (!ParseMode(argv[++i], options.detector)) return Usage();
        } else if (arg == "--target" && has_value) {
            options.target_note = std::atoi(argv[++i]);
            if (options.target_note < 0 || options.target_note > 88) return Usage();
        } else if (arg == "--zoom" && has_value) {
            options.zoom_level = std::atoi(argv[++i]);
            if (options.zoom_level < 1 || options.zoom_level > 3) return Usage();
        } else if (arg == "--a4" && has_value) {
            options.a4_hz = std::atoi(argv[++i]);
            if (options.a4_hz != CheckedReferencePitch(options.a4_hz)) return Usage();
        } else if (!arg.empty() && arg[0] != '-' && path.empty()) {
            path = arg;
        } else {
            return Usage();
        }
    }
    if (path.empty()) return Usage();

    WaveSource source;
    if (!LoadWaveFile(path, source)) {
        std::fprintf(stderr, "harmolab_analyze: %s is not a WAV file we can read\n", path.c_str());
        return 1;
    }
    std::vector<int16_t> mono =
        DecodePcmMono16(source.buffer, source.bytesToQueue, {source.sampleRate, source.channels, source.bitsPerSample});
    int rate = source.sampleRate;
    ResetWaveSource(source);
    if (rate < 8000 || rate > 44100) {
        std::fprintf(stderr, "harmolab_analyze: sample rate %d Hz is outside 8000..44100\n", rate);
        return 1;
    }
    std::printf("time_s,note,name,frequency_hz,cents\n");
    AnalyseRecording(mono, rate, options,
                     [](const OfflineRow& row) { std::printf("%s\n", FormatOfflineRow(row).c_str()); });
    return 0;
}
