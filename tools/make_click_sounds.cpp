// Makes the metronome's default click sounds: a bright, loud 'tock' for the accented beat and a
// lower, softer 'tick' for the others, 16-bit 44,100 Hz stereo (the click format, so they are
// played as they are).
//
// Usage: make_click_sounds OUTDIR  -> OUTDIR/click_accent.wav, OUTDIR/click.wav
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "display/metronome_engine.h"
#include "wavetools/tone.h"
#include "app/math_constants.h"

namespace {

struct Click {
    double hz;         // the tone that tells the two apart
    double amplitude;  // of full scale
    double decay_ms;   // time constant of the ring-out
    int length_ms;     // short enough to have played out long before the next beat at 300 bpm
};

// A struck tone: 1 ms attack against a hard edge's crackle, an exponential ring-out, and a weaker,
// faster-dying partial at 2.7 times the tone for the woody colour of a metronome. The partial stays
// weak enough not to add zero crossings, so the tone's frequency can be counted in a recording.
std::vector<std::int16_t> Synthesize(const Click& click) {
    const int frames = ToneRate * click.length_ms / 1000;
    std::vector<std::int16_t> samples;
    samples.reserve(static_cast<std::size_t>(frames) * 2);
    for (int i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / ToneRate;
        const double ms = t * 1000;
        const double attack = ms < 1.0 ? ms : 1.0;
        const double body = std::exp(-ms / click.decay_ms) * std::sin(2 * kPi * click.hz * t);
        const double colour = 0.25 * std::exp(-ms / 3.0) * std::sin(2 * kPi * 2.7 * click.hz * t);
        // The last millisecond fades to silence, so the end doesn't click either.
        const double tail = std::fmin(1.0, (frames - i) / (ToneRate / 1000.0));
        const auto value =
            static_cast<std::int16_t>(std::lround(32767 * click.amplitude * attack * tail * (body + colour) / 1.25));
        samples.push_back(value);
        samples.push_back(value);
    }
    return samples;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_click_sounds OUTDIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    const Click clicks[2] = {
        {1600.0, 0.9, 8.0, 40},  // accent (slot 0)
        {1000.0, 0.6, 6.0, 35},  // every other beat (slot 1)
    };
    for (int slot = 0; slot < 2; ++slot) {
        const std::vector<std::int16_t> samples = Synthesize(clicks[slot]);
        const std::string path = dir + "/" + kDefaultClickFiles[static_cast<std::size_t>(slot)];
        if (!WriteToneWave(path, reinterpret_cast<const std::uint8_t*>(samples.data()),
                           static_cast<std::uint32_t>(samples.size() * 2), clicks[slot].length_ms, true)) {
            std::fprintf(stderr, "make_click_sounds: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
