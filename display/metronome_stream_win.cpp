// winmm wave-out for the metronome, woken through an event, its silent stand-in, and the refill thread.
#include "display/metronome_stream_win.h"

#include <windows.h>
#include <mmsystem.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <vector>

#include "app/app_state.h"
#include "app/worker.h"
#include "display/images_win.h"
#include "display/metronome_player.h"
#include "wavetools/playback_engine.h"

namespace {

// 10 ms buffers, 200 ms queued: a click is placed to the frame whatever the buffer size, and the
// queue outlasts any stall of a thread that only refills on a loaded machine.
constexpr int kStreamBufferFrames = 441;
constexpr int kStreamBuffers = 20;
// The device event drives the thread; the wait's timeout only paces the silent stand-in and covers
// a lost signal.
constexpr DWORD kSilentWakeMs = 10;
constexpr DWORD kSoundWakeMs = 50;
constexpr DWORD kStopWaitMs = 2000;

// Output that keeps time: winmm, or the performance counter when there is nothing to play through.
class StreamOutput : public ClickOutput {
public:
    int BufferCount() const override { return kStreamBuffers; }
    int BufferFrames() const override { return kStreamBufferFrames; }
    std::int16_t* Buffer(int index) override {
        return samples_.data() + static_cast<std::size_t>(index) * 2 * kStreamBufferFrames;
    }
    virtual void Begin() {}
    virtual void Pause(bool paused) = 0;
    virtual void Close() = 0;
    virtual DWORD WakeMs() const = 0;

private:
    std::vector<std::int16_t> samples_ = std::vector<std::int16_t>(2 * kStreamBufferFrames * kStreamBuffers);
};

class WinmmStream : public StreamOutput {
public:
    // MMSYSERR_NOERROR when open with every header prepared.
    MMRESULT Open(HANDLE event) {
        WAVEFORMATEX wave = {};
        wave.wFormatTag = WAVE_FORMAT_PCM;
        wave.nChannels = ClickChannels;
        wave.nSamplesPerSec = ClickRate;
        wave.wBitsPerSample = ClickBits;
        wave.nBlockAlign = ClickChannels * ClickBits / 8;
        wave.nAvgBytesPerSec = ClickRate * wave.nBlockAlign;
        MMRESULT result =
            waveOutOpen(&handle_, WAVE_MAPPER, &wave, reinterpret_cast<DWORD_PTR>(event), 0, CALLBACK_EVENT);
        if (result != MMSYSERR_NOERROR) {
            handle_ = nullptr;
            return result;
        }
        // Held until the whole queue is written: a device started on its first buffer alone may run
        // dry before the next arrives and play a gap.
        waveOutPause(handle_);
        for (int i = 0; i < kStreamBuffers; ++i) {
            WAVEHDR& header = headers_[static_cast<std::size_t>(i)];
            header = WAVEHDR{};
            header.lpData = reinterpret_cast<LPSTR>(Buffer(i));
            header.dwBufferLength = 2 * sizeof(std::int16_t) * kStreamBufferFrames;
            result = waveOutPrepareHeader(handle_, &header, sizeof(WAVEHDR));
            if (result != MMSYSERR_NOERROR) {
                Close();
                return result;
            }
            // A prepared buffer that was never written is free to fill.
            header.dwFlags |= WHDR_DONE;
        }
        return MMSYSERR_NOERROR;
    }

    bool IsFree(int index) override { return (headers_[static_cast<std::size_t>(index)].dwFlags & WHDR_DONE) != 0; }
    void Write(int index) override {
        WAVEHDR& header = headers_[static_cast<std::size_t>(index)];
        header.dwFlags &= ~static_cast<DWORD>(WHDR_DONE);
        waveOutWrite(handle_, &header, sizeof(WAVEHDR));
    }

    // The device counts 32-bit samples; the difference from the last reading carries across a wrap.
    std::int64_t PlayedFrames() override {
        MMTIME time = {};
        time.wType = TIME_SAMPLES;
        if (waveOutGetPosition(handle_, &time, sizeof(time)) != MMSYSERR_NOERROR) return played_;
        DWORD count = 0;
        if (time.wType == TIME_SAMPLES) {
            count = time.u.sample;
        } else if (time.wType == TIME_BYTES) {
            count = time.u.cb / (ClickChannels * ClickBits / 8);
        } else {
            return played_;
        }
        played_ += static_cast<DWORD>(count - last_count_);
        last_count_ = count;
        return played_;
    }

    // The first refill has queued everything: the held device starts unless the user has paused.
    void Begin() override {
        if (!paused_) waveOutRestart(handle_);
        begun_ = true;
    }

    void Pause(bool paused) override {
        paused_ = paused;
        if (!begun_) return;
        if (paused) {
            waveOutPause(handle_);
        } else {
            waveOutRestart(handle_);
        }
    }

    void Close() override {
        if (!handle_) return;
        waveOutReset(handle_);
        for (WAVEHDR& header : headers_) {
            if (header.dwFlags & WHDR_PREPARED) waveOutUnprepareHeader(handle_, &header, sizeof(WAVEHDR));
        }
        waveOutClose(handle_);
        handle_ = nullptr;
    }

    void SetVolume(unsigned value) { waveOutSetVolume(handle_, value); }
    DWORD WakeMs() const override { return kSoundWakeMs; }

private:
    HWAVEOUT handle_ = nullptr;
    std::array<WAVEHDR, kStreamBuffers> headers_{};
    std::int64_t played_ = 0;
    DWORD last_count_ = 0;
    std::atomic<bool> paused_{false};
    std::atomic<bool> begun_{false};
};

// Plays nothing and keeps the time a device would: the run's frames on the performance counter.
class SilentStream : public StreamOutput {
public:
    SilentStream() {
        QueryPerformanceFrequency(&frequency_);
        start_ = Now();
    }
    bool IsFree(int index) override { return ends_[static_cast<std::size_t>(index)] <= PlayedFrames(); }
    void Write(int index) override { ends_[static_cast<std::size_t>(index)] = written_ += kStreamBufferFrames; }
    // Pausing and resuming are only asked for here; the refill thread, the only reader of the
    // clock, takes the paused span out by moving the start on.
    std::int64_t PlayedFrames() override {
        const long long now = Now();
        const bool paused = pause_requested_;
        if (paused && !paused_at_) paused_at_ = now;
        if (!paused && paused_at_) {
            start_ += now - paused_at_;
            paused_at_ = 0;
        }
        const long long counts = (paused_at_ ? paused_at_ : now) - start_;
        return frequency_.QuadPart > 0 ? counts * ClickRate / frequency_.QuadPart : 0;
    }
    void Pause(bool paused) override { pause_requested_ = paused; }
    void Close() override {}
    DWORD WakeMs() const override { return kSilentWakeMs; }

private:
    static long long Now() {
        LARGE_INTEGER count;
        QueryPerformanceCounter(&count);
        return count.QuadPart;
    }
    LARGE_INTEGER frequency_{};
    long long start_ = 0;
    long long paused_at_ = 0;
    std::atomic<bool> pause_requested_{false};
    std::array<std::int64_t, kStreamBuffers> ends_{};
    std::int64_t written_ = 0;
};

// The live state's repaints; the sound is in the stream, so a step's click asks for nothing.
class ScreenOutput : public MetronomeOutput {
public:
    void Click(int) override {}
    void Invalidate() override { InvalidateDrawingArea(); }
};

struct Stream {
    std::unique_ptr<StreamOutput> output;
    std::unique_ptr<MetronomePlayer> player;
    ScreenOutput screen;
    HANDLE device_event = nullptr;
    bool holds_device = false;
    // Declared last: it is joined before anything it uses goes.
    Worker refill;

    ~Stream() {
        refill.RequestStop();
        if (device_event) SetEvent(device_event);
        refill.Join(std::chrono::milliseconds(kStopWaitMs));
        if (device_event) CloseHandle(device_event);
    }
};

std::unique_ptr<Stream> stream;

// The stream's thread: woken by the device (or, for the silent stand-in, by the wait's timeout), it
// refills and moves the animation; a stop request also sets the device event so it ends at once.
void Refill(Stream& s, Worker& worker) {
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
    s.player->Service();
    s.output->Begin();
    while (!worker.StopRequested()) {
        WaitForSingleObject(s.device_event, s.output->WakeMs());
        if (!worker.StopRequested()) s.player->Service();
    }
}

bool HasSound(const std::array<ClickSound, 2>& sounds) {
    for (const ClickSound& sound : sounds) {
        if (sound.samples && sound.frames > 0) return true;
    }
    return false;
}

// The device for a run that may sound: null while anything else holds it or when it won't open.
std::unique_ptr<StreamOutput> OpenDevice(Stream& s, const std::array<ClickSound, 2>& sounds) {
    if (!app.metronome_sounds_ready || !HasSound(sounds) || app.playback_open || app.play_kind != kPlayNothing) {
        return nullptr;
    }
    auto device = std::make_unique<WinmmStream>();
    if (device->Open(s.device_event) != MMSYSERR_NOERROR) {
        MessageBoxW(app.main_window, L"Cannot open playing device", nullptr, MB_OK);
        app.metronome_sounds_ready = 0;
        return nullptr;
    }
    if (app.saved_play_volume != 0) device->SetVolume(app.play_volume);
    return device;
}

}  // namespace

bool StartMetronomeStream(const std::array<ClickSound, 2>& sounds, bool paused) {
    if (stream && !StopMetronomeStream()) return false;
    auto s = std::make_unique<Stream>();
    s->device_event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (!s->device_event) return false;
    s->output = OpenDevice(*s, sounds);
    s->holds_device = s->output != nullptr;
    if (!s->output) s->output = std::make_unique<SilentStream>();
    if (paused) s->output->Pause(true);
    s->player = std::make_unique<MetronomePlayer>(app, *s->output, sounds, s->screen);
    if (s->holds_device) {
        // Other sounds are refused while the metronome holds the device.
        app.playback_open = 1;
        app.play_kind = kPlayClick;
    }
    Stream* started = s.get();
    if (!s->refill.Start([started](Worker& worker) { Refill(*started, worker); })) {
        s->output->Close();
        if (s->holds_device) {
            app.playback_open = 0;
            app.play_kind = kPlayNothing;
        }
        return false;
    }
    stream = std::move(s);
    return true;
}

bool StopMetronomeStream() {
    if (!stream) return true;
    stream->refill.RequestStop();
    SetEvent(stream->device_event);
    if (!stream->refill.Join(std::chrono::milliseconds(kStopWaitMs))) return false;
    stream->output->Close();
    if (stream->holds_device) {
        app.playback_open = 0;
        app.play_kind = kPlayNothing;
    }
    stream.reset();
    return true;
}

void PauseMetronomeStream(bool paused) {
    if (stream) stream->output->Pause(paused);
}
