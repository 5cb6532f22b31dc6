// Precise pitch of the partial near a piano key, for the tuner's cents reading.
//
// Frequencies are in Hz, deviations in cents (1/100 of an equal-tempered semitone), keys are the
// piano keys 1 (A0) .. 88 (C8) with A4 = key 49 at the reference pitch a4_hz (440 unless chosen).
#ifndef HARMOLAB_AUDIO_PITCH_ESTIMATOR_H
#define HARMOLAB_AUDIO_PITCH_ESTIMATOR_H

#include <cstdint>

#include "audio/key_frequency.h"

constexpr int kNoCentsReading = -100;     // what the tuner shows when it has no deviation to show
constexpr double kPitchSearchCents = 60;  // how far from the key a partial may lie and still be measured
// Noise puts about 4 / 8192 of its power into any one probe; a quiet partial beside a loud chord
// still holds a few percent.
constexpr double kMinPowerShare = 0.01;

// Frequency in Hz of the strongest partial within +-kPitchSearchCents of near_hz in the newest audio
// of `frame` (frame_samples int16 samples, oldest first, taken at sample_rate Hz). The partial is
// measured, not read off the spectrum grid: a pure tone is found within 0.01 cent from A1 up and
// within 0.1 cent below. The measurement spans the newest 0.1 s (4096 samples at 44100 Hz), or
// the whole frame below about F2, where 0.1 s holds fewer than eight periods; white noise 20 dB
// down then costs about a cent at most. A second partial within about a semitone may spoil or
// prevent the reading; partials a fifth or more apart are each measured on their own from A1 up.
// False, leaving hz alone, when no partial there holds at least min_share of the measured power
// (silence, noise, a tone elsewhere), when near_hz lies too close to half the sample rate, or when
// the frame holds fewer than about five periods of it. No allocation; costs about three windowed
// passes over the measured samples.
bool MeasurePartialNear(const int16_t* frame, int frame_samples, int sample_rate, double near_hz, double& hz,
                        double min_share = kMinPowerShare);

// MeasurePartialNear at the frequency of key 1..88; false for any other key.
bool MeasurePitchNearKey(const int16_t* frame, int frame_samples, int sample_rate, int key, double& hz,
                         double a4_hz = kStandardA4Hz);

// Cents of `hz` from key's equal-tempered frequency, rounded to the nearest integer; kNoCentsReading
// when that falls outside -50..50 or the key or frequency is not valid.
int CentsFromKey(double hz, int key, double a4_hz = kStandardA4Hz);

// CentsFromKey of the measured pitch near `key`, or kNoCentsReading.
int MeasureCentsNearKey(const int16_t* frame, int frame_samples, int sample_rate, int key,
                        double a4_hz = kStandardA4Hz);

#endif
