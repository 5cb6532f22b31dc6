// Key frequencies from the reference pitch.
#include "audio/key_frequency.h"

#include <cmath>

int CheckedReferencePitch(int a4_hz) {
    return (a4_hz >= kLowestA4Hz && a4_hz <= kHighestA4Hz) ? a4_hz : kStandardA4Hz;
}

double KeyFrequency(int key, double a4_hz) {
    return a4_hz * std::pow(2.0, (key - 49) / 12.0);
}

double KeyTableFrequency(int key, int a4_hz) {
    return std::round(KeyFrequency(key, a4_hz) * 10000.0) / 10000.0;
}

int ShownKeyFrequency(int key, int a4_hz) {
    return static_cast<int>(KeyTableFrequency(key, a4_hz));
}
