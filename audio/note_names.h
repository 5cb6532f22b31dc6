// Names of piano keys 1..88 as the screens show them.
#ifndef HARMOLAB_AUDIO_NOTE_NAMES_H
#define HARMOLAB_AUDIO_NOTE_NAMES_H

#include <string>

// The spectrum status line counts octaves from the first C: key 1 is "A-1", key 49 (440 Hz) "A3".
std::string SpectrumNoteName(int key);
// The tuner names notes with A4 = 440 Hz: key 1 is "A0", key 49 "A4". Sharps.
std::string TunerNoteName(int key);

#endif
