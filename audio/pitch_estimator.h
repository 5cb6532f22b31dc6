// Precise pitch of the partial near a piano key, for the tuner's cents reading.
//
// Frequencies are in Hz, deviations in cents (1/100 of an equal-tempered semitone), keys are the
// piano keys 1 (A0, 27.5 Hz) .. 88 (C8, 4186 Hz) with A4 = key 49 = 440 Hz.
#ifndef HARMOLAB_AUDIO_PITCH_ESTIMATOR_H
#define HARMOLAB_AUDIO_PITCH_ESTIMATOR_H

#include <cstdint>

constexpr int kNoCentsReading = -100;     // what the tuner shows when it has no deviation to show
constexpr double kPitchSearchCents = 60;  // how far from the key a partial may lie and still be measured

// Equal-tempered frequency of key 1..88 in Hz: 440 * 2^((key - 49) / 12).
double KeyFrequency(int key);

// Frequency in Hz of the strongest partial within +-kPitchSearchCents of key `key` in `frame`
// (frame_samples int16 samples, oldest first, taken at sample_rate Hz). The partial is measured,
// not read off the spectrum grid: on 8192 samples at 44100 Hz a pure tone is found within 0.01 cent
// from key 13 (A1) up and within 0.1 cent below, and white noise 20 dB down costs up to about half a
// cent from A1 up. A second partial within about a semitone may spoil or prevent the reading;
// partials a fifth or more apart are each measured on their own from A1 up.
// False, leaving hz alone, when no partial there holds at least 1% of the frame's power (silence,
// noise, a tone elsewhere), when the key lies too close to half the sample rate, or when the frame
// holds fewer than about five periods of the key. No allocation; costs about three windowed passes
// over the frame.
bool MeasurePitchNearKey(const int16_t* frame, int frame_samples, int sample_rate, int key, double& hz);

// Cents of `hz` from key's equal-tempered frequency, rounded to the nearest integer; kNoCentsReading
// when that falls outside -50..50 or the key or frequency is not valid.
int CentsFromKey(double hz, int key);

// The tuner's reading: CentsFromKey of the measured pitch near `key`, or kNoCentsReading.
int MeasureCentsNearKey(const int16_t* frame, int frame_samples, int sample_rate, int key);

#endif
