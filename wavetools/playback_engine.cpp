// Output buffer bookkeeping, stream halves and seeks, independent of the sound device.
#include "wavetools/playback_engine.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "wavetools/wave_file.h"
#include "wavetools/wave_format.h"

namespace {

bool HasData(const WaveSource& source) {
    return source.buffer && source.bufferBytes > 0 && source.bytesToQueue > 0;
}

// Copies `count` bytes from the source's buffer at readPos, continuing at the buffer's start when
// its end is reached (a buffer need not be a multiple of the device buffer's length); readPos follows, and
// never rests on the end.
void TakeBytes(WaveSource& source, std::uint8_t* dest, std::uint32_t count) {
    std::uint8_t* const end = source.buffer + source.bufferBytes;
    while (count > 0) {
        if (source.readPos < source.buffer || source.readPos >= end) source.readPos = source.buffer;
        const auto run = std::min(count, static_cast<std::uint32_t>(end - source.readPos));
        std::memcpy(dest, source.readPos, run);
        dest += run;
        source.readPos += run;
        count -= run;
    }
    if (source.readPos == end) source.readPos = source.buffer;
}

int CancelerPercent(const WaveSource& source) {
    if (source.totalBytes == 0) return 100;
    const std::uint64_t played = source.totalBytes - std::min(source.bytesToQueue, source.totalBytes);
    return static_cast<int>(played * 100 / source.totalBytes);
}

}  // namespace

WaveSource& PlaySourceFor(int play_kind) {
    switch (play_kind) {
        case kPlayTone: return tone_source;
        case kPlayAnalysis:
        case kPlayCanceler: return stream_source;
        default: {
            // Nothing else refills: the metronome streams on its own and the volume's short open
            // queues nothing.
            static WaveSource nothing;
            return nothing;
        }
    }
}

std::uint64_t SeekDistance(int rate, int channels, int bits, int ms, bool backward) {
    if (rate <= 0 || channels <= 0 || bits <= 0) return 0;
    std::int64_t frames = 0;
    if (backward) {
        const std::int64_t seconds = std::llabs(std::int64_t{ms} / 1000);
        frames = seconds * rate;
    } else {
        frames = std::llabs(std::int64_t{rate} * ms / 1000);
    }
    return static_cast<std::uint64_t>(frames * channels * bits / 8);
}

PlaybackEngine::PlaybackEngine(AppState& state, OutputDevice& device, PlaybackEvents& events)
    : state_(state), device_(device), events_(events) {}

int PlaybackEngine::Open(const DeviceFormat& format, HWND__* owner) {
    if (state_.playback_open) return -1;
    if (!device_.Open(format, owner)) return -1;
    format_ = format;
    buffer_length_ = PlayBufferBytes(format.bits);
    state_.playback_open = 1;
    ApplyPlayVolume();
    return 0;
}

// The play volume set while the device was closed takes effect when it opens; with no start-up
// volume the device offers no volume control, so nothing is given to it.
void PlaybackEngine::ApplyPlayVolume() {
    if (state_.saved_play_volume != 0 && state_.play_volume != last_volume_) SetPlayVolume(state_.play_volume);
}

int PlaybackEngine::OpenSharedDevice(HWND__* owner) {
    DeviceFormat format{shared_output_format.rate, shared_output_format.channels_minus_one + 1,
                        shared_output_format.bits};
    if (format.rate <= 0) format = DeviceFormat{ClickRate, ClickChannels, ClickBits};
    return Open(format, owner);
}

int PlaybackEngine::OpenSourceDevice(const WaveSource& source, HWND__* owner) {
    return Open(DeviceFormat{source.sampleRate, source.channels, source.bitsPerSample}, owner);
}

void PlaybackEngine::CloseDevice() {
    state_.playback_open = 0;
    device_.Close();
    data_.fill(nullptr);
    in_use_.fill(false);
    queued_at_start_ = 0;
}

unsigned PlaybackEngine::DeviceVolume() {
    return state_.playback_open ? device_.Volume() : 0;
}

void PlaybackEngine::SetPlayVolume(unsigned value) {
    if (!state_.playback_open) return;
    device_.SetVolume(value);
    last_volume_ = value;
}

void PlaybackEngine::FillBuffer(WaveSource& source, int index) {
    const auto i = static_cast<std::size_t>(index);
    std::uint8_t* data = data_[i];
    const std::uint32_t length = buffer_length_;
    if (!HasData(source)) {
        source.bytesToQueue = 0;
        return;
    }
    if (source.bytesToQueue > length) {
        TakeBytes(source, data, length);
        source.bytesToQueue -= length;
    } else {
        // The last bytes: the rest of the buffer plays as silence, not as an older sound.
        std::memset(data, 0, length);
        TakeBytes(source, data, source.bytesToQueue);
        source.bytesToQueue = 0;
    }
    in_use_[i] = true;
}

int PlaybackEngine::StartBuffers(WaveSource& source) {
    in_use_.fill(false);
    queued_at_start_ = 0;
    if (!state_.playback_open || !device_.PrepareBuffers(buffer_length_, data_)) {
        CloseDevice();
        return 0;
    }
    for (int i = 0; i < PlayBufferCount && HasData(source); ++i) {
        FillBuffer(source, i);
        ++queued_at_start_;
    }
    if (queued_at_start_ == 0) {
        CloseDevice();
        return 0;
    }
    for (int i = 0; i < queued_at_start_; ++i) device_.Write(i);
    if (state_.play_kind == kPlayCanceler) events_.CancelerProgressRestart();
    return queued_at_start_;
}

void PlaybackEngine::EndPlayback(WaveSource& source, bool read_failed) {
    const int kind = state_.play_kind;
    CloseDevice();
    state_.play_kind = kPlayNothing;
    switch (kind) {
        case kPlayTone:
            ReleaseSourceBuffer(source);
            events_.ToneEnded();
            break;
        case kPlayAnalysis:
        case kPlayCanceler:
            ReleaseSourceBuffer(source);
            // A file that failed to read is of no further use; one that played out stays open
            // until the owner's next stop.
            if (read_failed) CloseSourceFile(source);
            if (kind == kPlayAnalysis) {
                events_.AnalysisPlayEnded();
            } else {
                events_.CancelerPlayEnded();
            }
            break;
        default:
            if (read_failed) {
                ReleaseSourceBuffer(source);
                CloseSourceFile(source);
            }
            break;
    }
}

bool PlaybackEngine::RefillBuffer(WaveSource& source, int index) {
    if (!state_.playback_open || index < 0 || index >= PlayBufferCount) return true;
    const auto i = static_cast<std::size_t>(index);
    if (source.bytesToQueue == 0) {
        if (index < queued_at_start_) in_use_[i] = false;
        for (int k = 0; k < queued_at_start_; ++k) {
            if (in_use_[static_cast<std::size_t>(k)]) return true;
        }
        EndPlayback(source, false);
        return true;
    }

    in_use_[i] = false;
    FillBuffer(source, index);
    if (!in_use_[i]) {
        // The source lost its samples under us (its buffer was released): nothing more to play.
        return RefillBuffer(source, index);
    }
    if (state_.play_kind == kPlayCanceler) events_.CancelerProgress(CancelerPercent(source));
    device_.Write(index);

    // Entering one half of a stream's buffer frees the other for the next block of the file, so
    // the file is read in large blocks, never per device buffer.
    const std::uint32_t half = source.bufferBytes / 2;
    if (source.bytesInFile > 0 && half > 0) {
        std::uint32_t other = 0;
        if (source.readPos == source.buffer) {
            other = half;
        } else if (source.readPos == source.buffer + half) {
            other = 0;
        } else {
            return true;
        }
        if (ReadWaveStream(source, other, half) == 0) {
            EndPlayback(source, true);
            return false;
        }
    }
    return true;
}

void PlaybackEngine::StopStream(WaveSource& stream) {
    CloseDevice();
    ReleaseSourceBuffer(stream);
    CloseSourceFile(stream);
}

void PlaybackEngine::StopTone(WaveSource& tone) {
    CloseDevice();
    ReleaseSourceBuffer(tone);
    state_.play_kind = kPlayNothing;
}

int PlaybackEngine::StartTone(WaveSource& tone, HWND__* owner) {
    if (state_.play_kind != kPlayNothing) return -1;
    if (state_.playback_open) return 0;
    if (!HasData(tone)) return -1;
    if (OpenSourceDevice(tone, owner) != 0) {
        events_.DeviceUnavailable(owner);
        state_.metronome_sounds_ready = 0;
        state_.play_kind = kPlayNothing;
        return -2;
    }
    if (StartBuffers(tone) == 0) return -1;
    state_.play_kind = kPlayTone;
    return 0;
}

int PlaybackEngine::StartStreamPlay(WaveSource& stream, int kind, HWND__* owner) {
    if (state_.playback_open || !HasData(stream)) return -1;
    if (OpenSourceDevice(stream, owner) != 0) return -2;
    if (StartBuffers(stream) == 0) return -1;
    state_.play_kind = kind;
    return 0;
}

bool PlaybackEngine::SeekAndRestart(WaveSource& stream, int direction, int ms, HWND__* owner) {
    CloseDevice();
    const std::uint32_t played = stream.totalBytes - std::min(stream.bytesToQueue, stream.totalBytes);
    std::uint64_t target = 0;
    if (direction > 0) {
        const std::uint64_t d = SeekDistance(stream.sampleRate, stream.channels, stream.bitsPerSample, ms, false);
        if (stream.bytesToQueue <= d) return false;
        target = played + d;
    } else if (direction < 0) {
        const std::uint64_t d = SeekDistance(stream.sampleRate, stream.channels, stream.bitsPerSample, ms, true);
        if (played > d) target = played - d;
    }
    if (!SeekWaveStream(stream, static_cast<std::uint32_t>(target)) ||
        ReadWaveStream(stream, 0, stream.bufferBytes) == 0) {
        ReleaseSourceBuffer(stream);
        CloseSourceFile(stream);
        return false;
    }
    if (OpenSourceDevice(stream, owner) != 0) {
        events_.DeviceUnavailable(owner);
        return false;
    }
    return StartBuffers(stream) > 0;
}

bool PlaybackEngine::SeekStream(WaveSource& stream, int direction, int ms, HWND__* owner) {
    state_.refill_busy = 1;
    const bool ok = SeekAndRestart(stream, direction, ms, owner);
    state_.refill_busy = 0;
    return ok;
}
