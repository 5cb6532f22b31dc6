// Reference tones: the sine of a piano key, played through the output device.
#ifndef HARMOLAB_WAVETOOLS_REFERENCE_TONE_WIN_H
#define HARMOLAB_WAVETOOLS_REFERENCE_TONE_WIN_H

// Plays key 1..88 for the given milliseconds; nothing when the device is busy or can't open.
void PlayReferenceTone(int key, int duration_ms);

#endif
