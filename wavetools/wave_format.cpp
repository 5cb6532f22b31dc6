// Storage of the shared output format and of the streamed file's length.
#include "wavetools/wave_format.h"

SharedOutputFormat shared_output_format;
std::atomic<std::int64_t> file_duration{0};

std::int64_t DataMilliseconds(std::uint32_t bytes, int rate, int channels, int bits) {
    const std::int64_t byteRate = std::int64_t{rate} * channels * bits / 8;
    if (byteRate <= 0) return 0;
    // Whole milliseconds in integers: a float quotient of 0.3 s can truncate to 299 ms.
    return std::int64_t{bytes} * 1000 / byteRate;
}

FileDuration DurationOfData(std::uint32_t bytes, int rate, int channels, int bits) {
    return SplitMilliseconds(DataMilliseconds(bytes, rate, channels, bits));
}

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
