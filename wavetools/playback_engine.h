// The playback engine without the device: eight output buffers fed from one WaveSource, refilled
// as the device hands them back, a streamed file read through the two halves of its buffer, seeks
// inside a stream, and the tones and streams that start it. The metronome streams on its own
// (display/metronome_stream_win.h) and only marks the device busy here.
//
// Everything here runs on the GUI thread; the device's callback only reports a returned buffer.
// Results are the program's small codes: 0 success, -1 failure, -2 device not opened.
#ifndef HARMOLAB_WAVETOOLS_PLAYBACK_ENGINE_H
#define HARMOLAB_WAVETOOLS_PLAYBACK_ENGINE_H

#include <array>
#include <cstdint>

#include "app/app_state.h"
#include "wavetools/wave_source.h"

constexpr int PlayBufferCount = 8;

// The metronome's click format, 16-bit stereo at 44,100 Hz (its stream's), and the longest click
// kept (about 22 s).
constexpr std::uint32_t MaxClickBytes = 4000000;
constexpr int ClickRate = 44100;
constexpr int ClickBits = 16;
constexpr int ClickChannels = 2;

// What plays (play_kind).
enum PlayKind : int {
    kPlayNothing = 0,
    kPlayClick = 1,     // the metronome's stream holds the device
    kPlayTone = 2,      // a generated tone, played once
    kPlayAnalysis = 3,  // WAVE analysis playback of the main window (command 40036)
    kPlayCanceler = 4,  // a file played from the vocal-canceler dialog
};

// Data bytes of one output buffer for the device's bits per sample: 8-bit sound gets half as many
// bytes, so that a buffer lasts about as long in either width.
constexpr std::uint32_t PlayBufferBytes(int bits) {
    return bits == 8 ? 1024u : 2048u;
}

// The source that a returned buffer is refilled from: the tone for kind 2, the stream for 3 and
// 4, an empty source for anything else.
WaveSource& PlaySourceFor(int play_kind);

// PCM format of an open device.
struct DeviceFormat {
    int rate = 0;      // samples per second
    int channels = 0;  // 1 mono, 2 stereo
    int bits = 0;      // bits per sample
};

// The output device as the engine sees it; buffers are named by their index 0..7.
class OutputDevice {
public:
    virtual ~OutputDevice() = default;
    // Opens the default output; the buffers it plays come back to `owner`, the window that
    // refills them. False when it can't be opened.
    virtual bool Open(const DeviceFormat& format, HWND__* owner) = 0;
    // One zero-filled block of PlayBufferCount buffers of `length` data bytes each, prepared for
    // the device; data[i] receives buffer i's sample area. False (and nothing held) when the
    // memory isn't there.
    virtual bool PrepareBuffers(std::uint32_t length, std::array<std::uint8_t*, PlayBufferCount>& data) = 0;
    // Queues buffer `index` with all its `length` bytes; it comes back after it has played.
    virtual void Write(int index) = 0;
    // Takes back every queued buffer, releases the block and closes. Harmless when closed.
    virtual void Close() = 0;
    // Output volume of the open device: high word left, low word right; 0 when unknown.
    virtual unsigned Volume() = 0;
    virtual void SetVolume(unsigned value) = 0;
};

// What the engine tells the rest of the program. Each end notice is sent once, after the device
// has been closed and play_kind has gone back to 0.
class PlaybackEvents {
public:
    virtual ~PlaybackEvents() = default;
    // "Cannot open playing device", over `owner`.
    virtual void DeviceUnavailable(HWND__* owner) = 0;
    virtual void ToneEnded() = 0;
    virtual void AnalysisPlayEnded() = 0;
    virtual void CancelerPlayEnded() = 0;
    // The canceler dialog's play-position bar: a new position 0..100, or a restart at 0.
    virtual void CancelerProgress(int percent) = 0;
    virtual void CancelerProgressRestart() = 0;
};

// Byte distance of a seek in a stream of the given format. Forward: trunc(rate x ms / 1000)
// frames. Backward: whole seconds only (ms / 1000 truncated, sign dropped) x rate frames. Frames
// count channels x bits / 8 bytes.
std::uint64_t SeekDistance(int rate, int channels, int bits, int ms, bool backward);

class PlaybackEngine {
public:
    // The engine keeps play_kind, playback_open, refill_busy, metronome_sounds_ready and the
    // volumes in `state`.
    PlaybackEngine(AppState& state, OutputDevice& device, PlaybackEvents& events);

    // Opening, 0 or -1; nothing is opened a second time while the device is open.
    // The shared format (the last click file loaded); before any was loaded it has no rate, and
    // a CD-quality format stands in, since only the device's volume is wanted then.
    int OpenSharedDevice(HWND__* owner);
    // A source's own format: tones and streams play as they were made.
    int OpenSourceDevice(const WaveSource& source, HWND__* owner);
    void CloseDevice();

    // The open device's volume, 0 when closed or unknown.
    unsigned DeviceVolume();
    // Gives the value to the device while it is open and remembers it as the last applied one.
    void SetPlayVolume(unsigned value);

    // Lays out the eight buffers, fills them from `source` and queues those that received data.
    // Returns how many were queued. With none (the source was empty, or the block could not be
    // had) nothing will ever come back, so the device is closed again.
    int StartBuffers(WaveSource& source);

    // A buffer came back from the device (index -1: not one of the current buffers, ignored).
    // Refills and requeues it, or, once everything has been queued and the last buffer is back,
    // ends the playback: device closed, play_kind 0, the end notice of the kind. False when a
    // streamed file could not be read; playback then stops as if it had ended.
    bool RefillBuffer(WaveSource& source, int index);

    // Closes the device and lets go of the streamed file and its buffer.
    void StopStream(WaveSource& stream);
    // Closes the device and frees the tone: the Play button's stop.
    void StopTone(WaveSource& tone);

    // Plays `tone` once: -1 while anything plays or for an empty tone; 0 without playing while
    // the device is open for something else; -2 when the device can't be opened.
    int StartTone(WaveSource& tone, HWND__* owner);
    // Plays an opened stream as `kind` (3 or 4): -1 while the device is open or for an empty
    // stream, -2 when the device can't be opened (the caller tells the user, in its own words).
    int StartStreamPlay(WaveSource& stream, int kind, HWND__* owner);

    // Moves a playing stream: direction 0 restarts, positive jumps forward, negative back.
    // False when a forward jump reaches the end, the file can't be read or the device can't be
    // reopened; the caller then stops the stream.
    bool SeekStream(WaveSource& stream, int direction, int ms, HWND__* owner);

    // For the Win32 layer and the tests.
    const DeviceFormat& format() const { return format_; }
    std::uint32_t buffer_length() const { return buffer_length_; }
    int queued_at_start() const { return queued_at_start_; }
    bool in_use(int index) const { return in_use_[static_cast<std::size_t>(index)]; }

private:
    int Open(const DeviceFormat& format, HWND__* owner);
    void ApplyPlayVolume();
    // Copies the next bytes of `source` into buffer `index`, zero-padding a short last one.
    void FillBuffer(WaveSource& source, int index);
    void EndPlayback(WaveSource& source, bool read_failed);
    bool SeekAndRestart(WaveSource& stream, int direction, int ms, HWND__* owner);

    AppState& state_;
    OutputDevice& device_;
    PlaybackEvents& events_;
    DeviceFormat format_;
    std::uint32_t buffer_length_ = 0;
    std::array<std::uint8_t*, PlayBufferCount> data_{};
    std::array<bool, PlayBufferCount> in_use_{};
    int queued_at_start_ = 0;
    unsigned last_volume_ = 0;
};

#endif
