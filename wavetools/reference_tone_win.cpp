// Reference tones; the tone engine arrives with the sound-out tools.
#include "wavetools/reference_tone_win.h"

void PlayReferenceTone(int, int) {}
