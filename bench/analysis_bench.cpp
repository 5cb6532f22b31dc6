// Times the sine transform against FFTW's type-II DST (RODFT10) of the same sizes, and one whole tuner
// frame against the 23.2 ms that a 1024-sample capture buffer lasts at 44100 Hz.
#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "audio/detectors.h"
#include "audio/sine_transform.h"
#include "audio/spectra.h"
#include "bench/bench_results.h"

namespace {

constexpr double kBufferMicroseconds = 1024.0 / 44100.0 * 1e6;
constexpr double kTwoPi = 6.28318530717958647692;

std::vector<double> RandomInput(int n) {
    std::mt19937 rng(12345);
    std::uniform_real_distribution<double> sample(-1.0, 1.0);
    std::vector<double> x(n);
    for (double& v : x) v = sample(rng);
    return x;
}

// The copy is part of each timed step because the transform works in place; the analysis pays the
// same pass when it windows the frame into the transform input. FFTW runs out of place instead, so
// the ratio leans against our transform.
void BM_SineTransform(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const std::vector<double> input = RandomInput(n);
    std::vector<double> data(n);
    SineTransformWork work;
    SineTransform(data.data(), n, work);
    for (auto _ : state) {
        std::memcpy(data.data(), input.data(), sizeof(double) * n);
        SineTransform(data.data(), n, work);
        benchmark::DoNotOptimize(data.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_SineTransform)->Arg(kShortSize)->Arg(kLongSize)->Unit(benchmark::kMicrosecond);

void BM_FftwRodft10(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    double* in = fftw_alloc_real(n);
    double* out = fftw_alloc_real(n);
    fftw_plan plan = fftw_plan_r2r_1d(n, in, out, FFTW_RODFT10, FFTW_MEASURE);
    const std::vector<double> input = RandomInput(n);
    std::memcpy(in, input.data(), sizeof(double) * n);
    for (auto _ : state) {
        fftw_execute(plan);
        benchmark::DoNotOptimize(out);
        benchmark::ClobberMemory();
    }
    fftw_destroy_plan(plan);
    fftw_free(in);
    fftw_free(out);
}
BENCHMARK(BM_FftwRodft10)->Arg(kShortSize)->Arg(kLongSize)->Unit(benchmark::kMicrosecond);

// What the tuner does per captured buffer: the whole tuner detector, on a frame holding two tones
// and some noise, without a target and with A3 as the target, the dearest case: A3 itself is
// missing, so its second and third harmonics (the two tones) are measured as well.
void BM_TunerFrame(benchmark::State& state) {
    static Spectra analysis;
    static AppState app_state;
    app_state.target_note = static_cast<int>(state.range(0));
    analysis.BuildTables(22050);
    TunerDetectorState tuner;
    std::vector<int16_t> frame(kFrameSamples);
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> noise(-300, 300);
    for (int m = 0; m < kFrameSamples; ++m) {
        const double t = m / 44100.0;
        const double tone = 12000.0 * std::sin(kTwoPi * 440.0 * t) + 6000.0 * std::sin(kTwoPi * 659.3 * t);
        frame[m] = static_cast<int16_t>(tone + noise(rng));
    }
    for (auto _ : state) {
        DetectTuner(app_state, analysis, tuner, frame.data());
        benchmark::DoNotOptimize(app_state.cents_offset);
    }
}
BENCHMARK(BM_TunerFrame)->Arg(0)->Arg(37)->Unit(benchmark::kMicrosecond);

}  // namespace

void PrintAnalysisSummary(const BenchResults& reporter) {
    std::printf("\nSummary\n");
    for (int n : {kShortSize, kLongSize}) {
        const double ours = reporter.Micros("BM_SineTransform/" + std::to_string(n));
        const double fftw = reporter.Micros("BM_FftwRodft10/" + std::to_string(n));
        if (ours > 0.0 && fftw > 0.0) {
            std::printf("  n=%-5d SineTransform %8.2f us   FFTW RODFT10 %8.2f us   ours/FFTW %.2f\n", n, ours, fftw,
                        ours / fftw);
        }
    }
    for (int target : {0, 37}) {
        const double frame = reporter.Micros("BM_TunerFrame/" + std::to_string(target));
        if (frame > 0.0) {
            std::printf("  tuner frame, %-12s %.2f us = %.3f%% of a 1024-sample buffer at 44100 Hz (%.1f ms)\n",
                        target ? "target A3:" : "no target:", frame, 100.0 * frame / kBufferMicroseconds,
                        kBufferMicroseconds / 1000.0);
        }
    }
}
