// The format the output device opens in for clicks and WAV analysis play (the last file loaded
// wins), and play lengths: of sample bytes, and of the file last opened as a stream.
#ifndef HARMOLAB_WAVETOOLS_WAVE_FORMAT_H
#define HARMOLAB_WAVETOOLS_WAVE_FORMAT_H

#include <atomic>
#include <cstdint>

struct SharedOutputFormat {
    int rate = 0;                // samples per second
    int channels_minus_one = 0;  // 0 mono, 1 stereo
    int bits = 8;                // bits per sample
};

extern SharedOutputFormat shared_output_format;

// A play length split the way the Wave View shows it: h:m:s:ms.
struct FileDuration {
    int hours = 0;
    int minutes = 0;       // 0..59
    int seconds = 0;       // 0..59
    int milliseconds = 0;  // 0..999
};

// The length in milliseconds of the file last opened as a stream, set by every successful open.
// Atomic: the Wave View's thread reads it while the main thread may open another stream.
extern std::atomic<std::int64_t> file_duration;

// The length of `bytes` sample bytes in the given format, truncated to the millisecond; zero for
// a format without a byte rate. DurationOfData splits it.
std::int64_t DataMilliseconds(std::uint32_t bytes, int rate, int channels, int bits);
FileDuration DurationOfData(std::uint32_t bytes, int rate, int channels, int bits);

// A length in milliseconds split into hours, minutes, seconds and milliseconds.
FileDuration SplitMilliseconds(std::int64_t milliseconds);

#endif
