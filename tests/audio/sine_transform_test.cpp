// The fast sine transform against a direct evaluation of its defining sum.
#include "audio/sine_transform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace {

// S[k] = sum_j x[j] sin(pi (j + 1/2) k / n) summed directly, in the transform's layout (S[n] first).
// The angle is reduced exactly on the integer (2j + 1) k mod 4n so that large n stay accurate.
std::vector<double> DirectSineTransform(const std::vector<double>& x) {
    const long n = static_cast<long>(x.size());
    std::vector<double> sines(4 * n);
    for (long m = 0; m < 4 * n; ++m) sines[m] = std::sin(3.14159265358979323846 * m / (2.0 * n));
    std::vector<double> out(n);
    for (long k = 1; k <= n; ++k) {
        double sum = 0.0;
        for (long j = 0; j < n; ++j) sum += x[j] * sines[(2 * j + 1) * k % (4 * n)];
        out[k % n] = sum;
    }
    return out;
}

std::vector<double> RandomSignal(int n, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> sample(-1.0, 1.0);
    std::vector<double> x(n);
    for (double& v : x) v = sample(rng);
    return x;
}

// Largest error relative to the largest output magnitude.
double RelativeError(const std::vector<double>& got, const std::vector<double>& want) {
    double peak = 0.0, error = 0.0;
    for (size_t k = 0; k < want.size(); ++k) {
        peak = std::max(peak, std::fabs(want[k]));
        error = std::max(error, std::fabs(got[k] - want[k]));
    }
    return error / peak;
}

TEST(SineTransform, MatchesDirectSumForEverySizeSharingOneWorkArea) {
    // Growing to the largest size first, then reusing that storage for smaller and in-between sizes,
    // exercises the per-size tables as the two analysis sizes and any other caller would.
    const int sizes[] = {2048, 8192, 4, 8, 16, 32, 64, 128, 256, 512, 1024, 4096};
    SineTransformWork work;
    for (int n : sizes) {
        std::vector<double> x = RandomSignal(n, static_cast<unsigned>(n));
        const std::vector<double> want = DirectSineTransform(x);
        SineTransform(x.data(), n, work);
        EXPECT_LT(RelativeError(x, want), 1e-9) << "n=" << n;
    }
}

TEST(SineTransform, StorageIsKeptOnceBuiltForTheLargestSize) {
    SineTransformWork work;
    std::vector<double> x = RandomSignal(8192, 1);
    SineTransform(x.data(), 8192, work);
    const double* tables = work.tables.data();
    const double* scratch = work.scratch.data();
    for (int n : {2048, 8192, 16, 2048}) SineTransform(x.data(), n, work);
    EXPECT_EQ(work.tables.data(), tables);
    EXPECT_EQ(work.scratch.data(), scratch);
    EXPECT_EQ(work.capacity, 8192);
}

TEST(SineTransform, ResetRebuildsStaleTables) {
    SineTransformWork work;
    std::vector<double> x = RandomSignal(2048, 2);
    SineTransform(x.data(), 2048, work);
    std::fill(work.tables.begin(), work.tables.end(), 0.0);
    work.Reset();
    x = RandomSignal(2048, 3);
    const std::vector<double> want = DirectSineTransform(x);
    SineTransform(x.data(), 2048, work);
    EXPECT_LT(RelativeError(x, want), 1e-9);
}

}  // namespace
