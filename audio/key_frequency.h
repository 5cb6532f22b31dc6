// Equal-tempered frequencies of the 88 piano keys around the chosen reference pitch (A4).
#ifndef HARMOLAB_AUDIO_KEY_FREQUENCY_H
#define HARMOLAB_AUDIO_KEY_FREQUENCY_H

// The reference pitch is the frequency of A4 (key 49) in whole hertz, chosen from 430..450.
constexpr int kStandardA4Hz = 440;
constexpr int kLowestA4Hz = 430;
constexpr int kHighestA4Hz = 450;

// A stored or typed reference pitch: inside 430..450 as it is, anything else 440.
int CheckedReferencePitch(int a4_hz);

// Frequency of key 1..88 (A0..C8) in Hz: a4_hz * 2^((key - 49) / 12).
double KeyFrequency(int key, double a4_hz = kStandardA4Hz);

// The same held to four decimal places, as the screens show it and the reference tones play it
// (27.5, 261.6256, 440 and 4186.009 with A4 = 440).
double KeyTableFrequency(int key, int a4_hz);

// The frequency readout of key 1..88: KeyTableFrequency in whole hertz, truncated (440, 27, 261).
int ShownKeyFrequency(int key, int a4_hz);

#endif
