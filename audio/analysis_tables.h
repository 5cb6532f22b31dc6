// Window, key-band and column tables of the analysis, built for the current sampling rate.
#ifndef HARMOLAB_AUDIO_ANALYSIS_TABLES_H
#define HARMOLAB_AUDIO_ANALYSIS_TABLES_H

void BuildAnalysisTables();

#endif
