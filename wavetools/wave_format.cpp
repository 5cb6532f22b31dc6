// Storage of the shared output format and of the streamed file's length.
#include "wavetools/wave_format.h"

SharedOutputFormat shared_output_format;
std::atomic<std::int64_t> file_duration{0};

FileDuration SplitMilliseconds(std::int64_t milliseconds) {
    FileDuration duration;
    if (milliseconds <= 0) return duration;
    const std::int64_t totalSeconds = milliseconds / 1000;
    duration.milliseconds = static_cast<int>(milliseconds % 1000);
    duration.seconds = static_cast<int>(totalSeconds % 60);
    duration.minutes = static_cast<int>(totalSeconds / 60 % 60);
    duration.hours = static_cast<int>(totalSeconds / 3600);
    return duration;
}
