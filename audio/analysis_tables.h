// Window, key-band and column tables of the analysis, built for the current sampling rate.
#ifndef HARMOLAB_AUDIO_ANALYSIS_TABLES_H
#define HARMOLAB_AUDIO_ANALYSIS_TABLES_H

// Rebuilds the tables of `spectra` from app.half_sampling_hz; called at window creation and on entering
// the spectrum analyser or the tuner, so that a changed sampling rate takes effect.
void BuildAnalysisTables();

#endif
