// Reference tones: the sine of a piano key, played once through the output device.
#include "wavetools/reference_tone_win.h"

#include "app/app_state.h"
#include "audio/key_frequency.h"
#include "audio/spectra.h"
#include "wavetools/playback_win.h"
#include "wavetools/tone.h"
#include "wavetools/tone_dialog_win.h"

void PlayReferenceTone(int key, int duration_ms) {
    // Key 0 is the automatic target: there is no note to sound.
    if (key < 1 || key > kKeyCount) return;
    // While anything holds the device the tone would not play; the tone source may still be
    // playing, so it is left alone.
    if (app.play_kind != kPlayNothing || app.playback_open) return;
    WaveSource made;
    if (MakeToneFromSettings(KeyTableFrequency(key, app.reference_a4_hz), duration_ms, kToneSine, made) == 0) {
        return;
    }
    ResetWaveSource(tone_source);
    tone_source = made;
    StartTone();
}
