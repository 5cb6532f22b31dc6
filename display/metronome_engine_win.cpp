// The metronome's worker thread on the system clock, and its click sounds in the playback engine.
#include "display/metronome_engine_win.h"

#include <process.h>

#include <array>
#include <string>
#include <vector>

#include "app/app_messages.h"
#include "app/app_state.h"
#include "app/power_win.h"
#include "app/program_folder_win.h"
#include "app/text_win.h"
#include "display/images_win.h"
#include "display/metronome_engine.h"
#include "display/metronome_tables.h"
#include "wavetools/playback_win.h"

namespace {

// A stop normally ends the worker within one sleep (at most 50 ms) and a busy wait, which gives up
// on the stop request; the first wait is the usual 500 ms, the second only covers a stalled system.
constexpr DWORD kStopWaitMs = 500;
constexpr DWORD kStalledStopWaitMs = 5000;

std::array<WaveSource, kClickSlotCount> click_slots{};
SlotClickSounds slot_sounds(click_slots.data(), kClickSlotCount, click_ring);
HANDLE worker_thread = nullptr;

// Time of day from the performance counter, anchored to the system time when the run starts: the
// system time itself may advance in steps of a clock tick (15.6 ms), too coarse to place a beat.
class SystemClock : public MetronomeClock {
public:
    SystemClock() {
        QueryPerformanceFrequency(&frequency_);
        QueryPerformanceCounter(&anchor_count_);
        anchor_ms_ = ::TimeOfDayMs();
    }

    int TimeOfDayMs() override {
        return static_cast<int>((anchor_ms_ + CountToMs(Now() - anchor_count_.QuadPart)) % kDayMs);
    }

    void SleepMs(int ms) override { Sleep(static_cast<DWORD>(ms)); }

    // Spins on the performance counter; a stop request ends the wait early, since nothing follows
    // it but the end of the loop.
    void BusyWaitMs(int ms) override {
        const LONGLONG start = Now();
        const LONGLONG span = static_cast<LONGLONG>(ms) * frequency_.QuadPart;
        while ((Now() - start) * 1000 <= span && app.worker_state > 0) YieldProcessor();
    }

private:
    static LONGLONG Now() {
        LARGE_INTEGER count;
        QueryPerformanceCounter(&count);
        return count.QuadPart;
    }
    long long CountToMs(LONGLONG counts) const {
        return frequency_.QuadPart > 0 ? counts * 1000 / frequency_.QuadPart : 0;
    }

    LARGE_INTEGER frequency_{};
    LARGE_INTEGER anchor_count_{};
    long long anchor_ms_ = 0;
};

class WindowOutput : public MetronomeOutput {
public:
    void Click(int slot) override {
        if (app.main_window) PostMessageW(app.main_window, WM_APP_METRONOME_CLICK, static_cast<WPARAM>(slot), 0);
    }
    void Invalidate() override { InvalidateDrawingArea(); }
};

unsigned __stdcall MetronomeWorker(void*) {
    SystemClock clock;
    WindowOutput output;
    RunMetronome(app, clock, output);
    return 0;
}

// Asks a running worker to stop and waits for it. True when no worker is left; a worker that
// can't be waited for keeps its handle, and nothing that it uses is started or freed again.
bool EndWorker() {
    if (!worker_thread) return true;
    app.worker_state = -1;
    DWORD result = WaitForSingleObject(worker_thread, kStopWaitMs);
    if (result == WAIT_TIMEOUT) result = WaitForSingleObject(worker_thread, kStalledStopWaitMs);
    if (result == WAIT_TIMEOUT) return false;
    CloseHandle(worker_thread);
    worker_thread = nullptr;
    app.worker_state = 0;
    return true;
}

}  // namespace

void StartMetronome() {
    // A previous run's worker must be gone before the run state is reset under it.
    if (!EndWorker()) return;
    app.rod_position = metronome_tables::SwingFor(app.metronome_tempo).lo;
    app.metronome_start_ms = -1;  // taken by the worker's first look at the clock
    app.metronome_started = 0;
    app.beat_index = 0;
    app.bar_count = 0;
    app.swing_direction = 1;
    app.tick_count = 0;
    InvalidateDrawingArea();
    // Set first: the worker runs while it is positive, possibly before the handle is back here.
    app.worker_state = 1;
    worker_thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, MetronomeWorker, nullptr, 0, nullptr));
    if (!worker_thread) app.worker_state = 0;
}

void StopMetronome() {
    if (!worker_thread) app.worker_state = 0;
    EndWorker();
    app.swing_direction = 0;
    app.rod_position = metronome_tables::kRestPosition;
    InvalidateDrawingArea();
}

void ResetMetronomeScreen() {
    LoadClickSounds();
    app.swing_direction = 0;
    app.rod_position = metronome_tables::kRestPosition;
}

bool LoadClickSounds() {
    UseClickSounds(nullptr);
    const std::vector<std::string> folders = DataFolders();
    const std::array<std::vector<std::string>, 2> candidates = {
        ClickFileCandidates(kAccentClickSlot, app.metro_sound_file[0], folders),
        ClickFileCandidates(kBeatClickSlot, app.metro_sound_file[1], folders),
    };
    if (!LoadClickSet(click_slots.data(), kClickSlotCount, click_ring, candidates)) return false;
    UseClickSounds(&slot_sounds);
    return true;
}

void FreeClickSounds() {
    // The worker asks for clicks from these sounds; at exit it must not outlive what it writes to.
    EndWorker();
    UseClickSounds(nullptr);
    FreeClickSet(click_slots.data(), kClickSlotCount, click_ring);
}

LRESULT OnMetronomeClick(WPARAM slot) {
    // A click still queued when the metronome stopped stays silent.
    if (app.worker_state > 0) StartClick(static_cast<int>(slot));
    return 0;
}
