// The format the output device opens in for clicks and WAV analysis play: the last file loaded wins.
#ifndef HARMOLAB_WAVETOOLS_WAVE_FORMAT_H
#define HARMOLAB_WAVETOOLS_WAVE_FORMAT_H

struct SharedOutputFormat {
    int rate = 0;                // samples per second
    int channels_minus_one = 0;  // 0 mono, 1 stereo
    int bits = 8;                // bits per sample
};

extern SharedOutputFormat shared_output_format;

#endif
