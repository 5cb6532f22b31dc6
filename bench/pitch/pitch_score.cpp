// harmolab_pitch_score: the tuner's accuracy on a corpus of notes with known pitch. Every case runs
// through the same offline path as harmolab_analyze --mode tuner; a note's reading is the note shown
// most often on its counted frames. The table counts, per family, the notes read right, octave and
// fifth errors, notes without a reading, the share of counted frames naming the note, and the cents
// error on the frames that name it.
//
// usage: harmolab_pitch_score [--errors] [CORPUS_DIR]
// CORPUS_DIR holds the rendered instrument notes and manifest.tsv of make_corpus.py; the synthetic
// families (sines, plucked strings, a missing fundamental, silence and noise) are made here.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "audio/offline_analysis.h"
#include "wavetools/pcm.h"
#include "wavetools/wave_file.h"
#include "wavetools/wave_source.h"
#include "app/math_constants.h"

namespace {

constexpr int kRate = 44100;
constexpr int kBuffer = 1024;
// A frame counts once the note has sounded this long, as a player would wait for the needle.
constexpr double kSettleSeconds = 0.1;
// A steady sine gives band level 31 (the tuner's sounding threshold) at about this rms in the
// newest 2048 samples: 1.5% of full scale in amplitude.
constexpr double kSoundingRms = 0.0109 * 32768;
constexpr int kNewest = 2048;

struct Case {
    std::string family;
    std::string name;
    std::vector<int16_t> samples;
    int key = 0;         // 1..88; 0 for silence and noise
    double cents = NAN;  // true deviation from the key, when known
    bool open_string = false;
};

Case MakeCase(const std::string& family, const std::string& name, std::vector<int16_t> samples = {}) {
    Case c;
    c.family = family;
    c.name = name;
    c.samples = std::move(samples);
    return c;
}

double KeyHz(int key) {
    return 440.0 * std::pow(2.0, (key - 49) / 12.0);
}

std::vector<int16_t> ToPcm(const std::vector<double>& x, double peak) {
    double most = 0;
    for (double v : x) most = std::max(most, std::fabs(v));
    std::vector<int16_t> out(x.size());
    double scale = most > 0 ? peak * 32767 / most : 0;
    for (size_t i = 0; i < x.size(); ++i) out[i] = static_cast<int16_t>(std::lround(x[i] * scale));
    return out;
}

// Partials of f0 with the given amplitudes (index 0 = fundamental), random phases, plus white noise
// at `snr_db` below the tone's power (none when snr_db is infinite).
std::vector<int16_t> Harmonic(double f0, const std::vector<double>& amplitudes, double seconds, double snr_db,
                              std::mt19937& rng) {
    std::uniform_real_distribution<double> phase(0, 2 * kPi);
    std::normal_distribution<double> gauss(0, 1);
    size_t n = static_cast<size_t>(seconds * kRate);
    std::vector<double> x(n, 0.0);
    double power = 0;
    for (size_t h = 0; h < amplitudes.size(); ++h) {
        double f = f0 * (h + 1);
        if (amplitudes[h] == 0 || f >= kRate / 2.0) continue;
        power += amplitudes[h] * amplitudes[h] / 2;
        double p = phase(rng);
        for (size_t m = 0; m < n; ++m) x[m] += amplitudes[h] * std::sin(2 * kPi * f * m / kRate + p);
    }
    std::vector<int16_t> out(n);
    double noise = std::isinf(snr_db) ? 0 : std::sqrt(power / std::pow(10.0, snr_db / 10));
    for (size_t m = 0; m < n; ++m) {
        double v = 0.5 * 32767 * (x[m] + noise * gauss(rng));
        out[m] = static_cast<int16_t>(std::lround(std::clamp(v, -32768.0, 32767.0)));
    }
    return out;
}

// Karplus-Strong string plucked and picked up near the bridge, so that the fundamental is far
// weaker than the next few harmonics. The loop of n samples and its two-point average sound at
// rate / (n + 0.5) Hz.
std::vector<int16_t> Plucked(int delay, std::mt19937& rng) {
    std::uniform_real_distribution<double> white(-1, 1);
    size_t length = 2 * kRate;
    double hz = kRate / (delay + 0.5);
    double loss = std::pow(10.0, -3.0 / (3.0 * hz));  // about 3 s to fall by 60 dB
    int pluck = std::max(1, static_cast<int>(std::lround(0.08 * delay)));
    int pickup = std::max(1, static_cast<int>(std::lround(0.1 * delay)));
    std::vector<double> burst(delay), y(length, 0.0), out(length, 0.0);
    for (double& v : burst) v = white(rng);
    for (size_t m = 0; m < length; ++m) {
        double excite = 0;
        if (m < static_cast<size_t>(delay)) {
            excite = burst[m] - (m >= static_cast<size_t>(pluck) ? burst[m - pluck] : 0);
        }
        double fed = m > static_cast<size_t>(delay) ? 0.5 * loss * (y[m - delay] + y[m - delay - 1]) : 0;
        y[m] = excite + fed;
        out[m] = y[m] - (m >= static_cast<size_t>(pickup) ? y[m - pickup] : 0);
    }
    return ToPcm(out, 0.5);
}

std::vector<int16_t> Noise(double rms_dbfs, double seconds, std::mt19937& rng) {
    std::normal_distribution<double> gauss(0, 1);
    double rms = 32768 * std::pow(10.0, rms_dbfs / 20);
    std::vector<int16_t> out(static_cast<size_t>(seconds * kRate));
    for (int16_t& v : out) v = static_cast<int16_t>(std::lround(std::clamp(rms * gauss(rng), -32768.0, 32767.0)));
    return out;
}

void AddSynthetic(std::vector<Case>& cases) {
    std::mt19937 rng(20260);
    const double kDetunes[] = {0, 3, -3, 10, -10, 25, -25, 45, -45};
    const struct {
        const char* family;
        double snr_db;
    } sines[] = {{"sine", INFINITY}, {"sine, 40 dB SNR", 40}, {"sine, 20 dB SNR", 20}};
    for (const auto& s : sines) {
        for (int key = 1; key <= 88; ++key) {
            for (double d : kDetunes) {
                Case c =
                    MakeCase(s.family, "key " + std::to_string(key) + " " + std::to_string(static_cast<int>(d)) + "c");
                c.samples = Harmonic(KeyHz(key) * std::pow(2.0, d / 1200), {1.0}, 1.0, s.snr_db, rng);
                c.key = key;
                c.cents = d;
                cases.push_back(std::move(c));
            }
        }
    }
    // Plucked strings from E1 to E5, the range of bass and guitar (the loop's length sets the pitch,
    // so the detune falls where it may).
    for (int key = 8; key <= 56; ++key) {
        int delay = static_cast<int>(std::lround(kRate / KeyHz(key) - 0.5));
        double hz = kRate / (delay + 0.5);
        Case c = MakeCase("plucked string", "key " + std::to_string(key));
        c.samples = Plucked(delay, rng);
        c.key = static_cast<int>(std::lround(49 + 12 * std::log2(hz / 440.0)));
        c.cents = 1200 * std::log2(hz / KeyHz(c.key));
        cases.push_back(std::move(c));
    }
    // Harmonics 2..8 without the fundamental, from E2 to C6.
    for (int key = 20; key <= 64; ++key) {
        double d = kDetunes[key % 9];
        Case c = MakeCase("missing fundamental", "key " + std::to_string(key));
        c.samples =
            Harmonic(KeyHz(key) * std::pow(2.0, d / 1200), {0, 1, 0.8, 0.7, 0.6, 0.5, 0.4, 0.35}, 1.0, INFINITY, rng);
        c.key = key;
        c.cents = d;
        cases.push_back(std::move(c));
    }
    // A guitar-like tone through a poor input: mains hum, an offset, and clipping at half scale.
    for (int key = 20; key <= 64; ++key) {
        double d = kDetunes[(key + 4) % 9];
        double f0 = KeyHz(key) * std::pow(2.0, d / 1200);
        std::vector<int16_t> tone = Harmonic(f0, {0.3, 0.6, 0.25, 0.15, 0.1}, 1.0, INFINITY, rng);
        Case c = MakeCase("hum, offset and clipping", "key " + std::to_string(key));
        for (size_t m = 0; m < tone.size(); ++m) {
            double v = 2.0 * tone[m] + 3000 + 600 * std::sin(2 * kPi * 50 * m / kRate);
            c.samples.push_back(static_cast<int16_t>(std::clamp(v, -16384.0, 16384.0)));
        }
        c.key = key;
        c.cents = d;
        cases.push_back(std::move(c));
    }
    cases.push_back(MakeCase("silence and noise", "silence", std::vector<int16_t>(2 * kRate, 0)));
    for (double dbfs : {-70.0, -50.0}) {
        for (int i = 0; i < 3; ++i) {
            cases.push_back(MakeCase("silence and noise", "noise " + std::to_string(static_cast<int>(dbfs)) + " dBFS",
                                     Noise(dbfs, 2.0, rng)));
        }
    }
}

bool AddRendered(std::vector<Case>& cases, const std::string& dir) {
    std::ifstream manifest(dir + "/manifest.tsv");
    if (!manifest) return false;
    std::string line;
    while (std::getline(manifest, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        Case c;
        std::string file, key, open;
        std::getline(fields, c.family, '\t');
        std::getline(fields, file, '\t');
        std::getline(fields, key, '\t');
        std::getline(fields, open, '\t');
        WaveSource source;
        if (!LoadWaveFile(dir + "/" + file, source)) {
            std::fprintf(stderr, "cannot read %s\n", file.c_str());
            continue;
        }
        c.samples = DecodePcmMono16(source.buffer, source.bytesToQueue,
                                    {source.sampleRate, source.channels, source.bitsPerSample});
        ResetWaveSource(source);
        c.name = file;
        c.key = std::stoi(key);
        c.open_string = open == "1";
        cases.push_back(std::move(c));
    }
    return true;
}

// The buffers that count: from kSettleSeconds after the first audible sample on, those whose newest
// 2048 samples hold a sounding level (a note may dip below it for a moment and come back, as the
// strings of a piano's unison beat). True for each buffer index that counts.
std::vector<bool> CountedBuffers(const std::vector<int16_t>& x) {
    size_t buffers = x.size() / kBuffer;
    std::vector<bool> counted(buffers, false);
    size_t onset = 0;
    while (onset < x.size() && std::abs(x[onset]) < 100) ++onset;
    for (size_t b = 0; b < buffers; ++b) {
        size_t end = (b + 1) * kBuffer;
        if (end < onset + static_cast<size_t>(kSettleSeconds * kRate) || end < kNewest) continue;
        double sum = 0;
        for (size_t m = end - kNewest; m < end; ++m) sum += static_cast<double>(x[m]) * x[m];
        counted[b] = std::sqrt(sum / kNewest) >= kSoundingRms;
    }
    return counted;
}

std::vector<OfflineRow> Analyse(const Case& c, int target) {
    OfflineOptions options;
    options.detector = OfflineDetector::kTuner;
    options.target_note = target;
    std::vector<OfflineRow> rows;
    AnalyseRecording(c.samples, kRate, options, [&](const OfflineRow& r) { rows.push_back(r); });
    return rows;
}

struct FamilyScore {
    int cases = 0, correct = 0, octave = 0, fifth = 0, other = 0, none = 0;
    int noise_frames = 0, noisy_notes = 0;  // silence and noise: frames with a note
    int silent = 0;                         // pitched cases that never sounded once settled
    long frames = 0, frames_right = 0;      // counted frames, and those naming the played note
    std::vector<double> cents_errors;
    int strings = 0;
    double string_share_sum = 0, string_share_min = 1;
};

double Percentile(std::vector<double> v, double p) {
    if (v.empty()) return NAN;
    std::sort(v.begin(), v.end());
    return v[static_cast<size_t>(std::min<double>(v.size() - 1, std::floor(p * (v.size() - 1) + 0.5)))];
}

void ScoreCase(const Case& c, FamilyScore& s, bool list_errors) {
    std::vector<OfflineRow> rows = Analyse(c, 0);
    if (c.key == 0) {
        for (const OfflineRow& r : rows) s.noise_frames += 1, s.noisy_notes += r.detected_note != 0;
        return;
    }
    std::vector<bool> counted = CountedBuffers(c.samples);
    if (std::count(counted.begin(), counted.end(), true) == 0) {
        ++s.silent;  // never sounding once settled: nothing to judge
        return;
    }
    std::map<int, int> votes;
    for (size_t b = 0; b < rows.size() && b < counted.size(); ++b) {
        if (!counted[b]) continue;
        ++s.frames;
        s.frames_right += rows[b].detected_note == c.key;
        if (rows[b].detected_note != 0) ++votes[rows[b].detected_note];
        if (rows[b].detected_note == c.key && !std::isnan(c.cents) && rows[b].cents_offset != -100) {
            s.cents_errors.push_back(std::fabs(rows[b].cents_offset - c.cents));
        }
    }
    ++s.cases;
    int reading = 0, most = 0;
    for (auto [note, count] : votes) {
        if (count > most) most = count, reading = note;
    }
    int diff = std::abs(reading - c.key);
    if (reading == c.key) {
        ++s.correct;
    } else if (reading == 0) {
        ++s.none;
    } else if (diff % 12 == 0) {
        ++s.octave;
    } else if (diff == 7 || diff == 19 || diff == 31) {
        ++s.fifth;
    } else {
        ++s.other;
    }
    if (list_errors && reading != c.key) {
        std::printf("  %s: %s key %d read %d (%d frames counted)\n", c.family.c_str(), c.name.c_str(), c.key, reading,
                    static_cast<int>(std::count(counted.begin(), counted.end(), true)));
    }
    if (!c.open_string) return;
    // The open string as the target: every counted frame should show it with its cents.
    std::vector<OfflineRow> target_rows = Analyse(c, c.key);
    int frames = 0, shown = 0;
    for (size_t b = 0; b < target_rows.size() && b < counted.size(); ++b) {
        if (!counted[b]) continue;
        ++frames;
        shown += target_rows[b].detected_note == c.key && target_rows[b].cents_offset != -100;
    }
    double share = frames ? static_cast<double>(shown) / frames : 0;
    ++s.strings;
    s.string_share_sum += share;
    s.string_share_min = std::min(s.string_share_min, share);
    if (list_errors && share < 0.95) {
        std::printf("  %s: open string %s shown on %d of %d frames\n", c.family.c_str(), c.name.c_str(), shown, frames);
    }
}

void PrintTable(const std::vector<std::string>& order, const std::map<std::string, FamilyScore>& scores) {
    std::printf(
        "| family | notes | correct | octave | fifth | other | none | frames right | cents median | cents p90 |\n");
    std::printf("|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n");
    FamilyScore all;
    for (const std::string& family : order) {
        const FamilyScore& s = scores.at(family);
        if (s.cases == 0) continue;
        all.cases += s.cases, all.correct += s.correct, all.octave += s.octave, all.fifth += s.fifth;
        all.other += s.other, all.none += s.none, all.frames += s.frames, all.frames_right += s.frames_right;
        std::string cents = s.cents_errors.empty() ? "| - | - |" : "";
        if (cents.empty()) {
            char text[64];
            std::snprintf(text, sizeof(text), "| %.1f | %.1f |", Percentile(s.cents_errors, 0.5),
                          Percentile(s.cents_errors, 0.9));
            cents = text;
        }
        std::printf("| %s | %d | %.1f %% | %d | %d | %d | %d | %.1f %% %s\n", family.c_str(), s.cases,
                    100.0 * s.correct / s.cases, s.octave, s.fifth, s.other, s.none,
                    100.0 * s.frames_right / std::max(1L, s.frames), cents.c_str());
    }
    std::printf("| **all pitched** | %d | **%.1f %%** | %d | %d | %d | %d | %.1f %% | | |\n", all.cases,
                100.0 * all.correct / std::max(1, all.cases), all.octave, all.fifth, all.other, all.none,
                100.0 * all.frames_right / std::max(1L, all.frames));
    for (const std::string& family : order) {
        const FamilyScore& s = scores.at(family);
        if (s.noise_frames) {
            std::printf("\n%s: a note on %d of %d frames\n", family.c_str(), s.noisy_notes, s.noise_frames);
        }
        if (s.silent)
            std::printf("\n%s: %d notes left out, below the sounding level once settled\n", family.c_str(), s.silent);
    }
    std::printf(
        "\nOpen string as the target, share of frames showing it with cents (100 ms after the onset "
        "while it sounds):\n");
    for (const std::string& family : order) {
        const FamilyScore& s = scores.at(family);
        if (s.strings) {
            std::printf("  %s: %d strings, mean %.1f %%, lowest %.1f %%\n", family.c_str(), s.strings,
                        100.0 * s.string_share_sum / s.strings, 100.0 * s.string_share_min);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    bool list_errors = false;
    std::string corpus;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--errors") {
            list_errors = true;
        } else if (!arg.empty() && arg[0] != '-' && corpus.empty()) {
            corpus = arg;
        } else {
            std::fprintf(stderr, "usage: harmolab_pitch_score [--errors] [CORPUS_DIR]\n");
            return 2;
        }
    }
    std::vector<Case> cases;
    if (!corpus.empty() && !AddRendered(cases, corpus)) {
        std::fprintf(stderr, "harmolab_pitch_score: no manifest.tsv in %s\n", corpus.c_str());
        return 1;
    }
    AddSynthetic(cases);
    std::vector<std::string> order;
    std::map<std::string, FamilyScore> scores;
    for (const Case& c : cases) {
        if (!scores.count(c.family)) order.push_back(c.family);
        ScoreCase(c, scores[c.family], list_errors);
    }
    PrintTable(order, scores);
    return 0;
}
