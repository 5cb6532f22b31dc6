// Multimedia tick timer. Its callback runs on the timer thread and touches only atomic state.
#include "display/tick_timer_win.h"

#include <mmsystem.h>

#include <algorithm>

#include "app/app_state.h"
#include "app/pointer_input.h"
#include "display/images_win.h"
#include "wavetools/wave_view_win.h"

namespace {

constexpr UINT kTickPeriodMs = 20;
UINT timer_id = 0;
UINT timer_period = 0;

// Runs on the timer thread: it only touches shared atomic state and asks for a repaint.
void CALLBACK OnTick(UINT, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR) {
    app.tick_count.fetch_add(1);
    if (MetronomeRepeat(app)) InvalidateDrawingArea();
    if (TunerRepeat(app)) InvalidateDrawingArea();
    RepeatWaveViewKeys();
}

}  // namespace

void StartTickTimer(HWND window) {
    TIMECAPS caps = {};
    timer_period = kTickPeriodMs;
    if (timeGetDevCaps(&caps, sizeof(caps)) == TIMERR_NOERROR) timer_period = std::max(kTickPeriodMs, caps.wPeriodMin);
    timeBeginPeriod(timer_period);
    timer_id = timeSetEvent(timer_period, timer_period, OnTick, reinterpret_cast<DWORD_PTR>(window), TIME_PERIODIC);
    if (timer_id == 0) {
        timeEndPeriod(timer_period);
        timer_period = 0;
        MessageBoxW(window, L"ERROR:timeSetEvent", L"CMainWindow", MB_OK);
    }
}

void StopTickTimer() {
    if (timer_id) timeKillEvent(timer_id);
    if (timer_period) timeEndPeriod(timer_period);
    timer_id = 0;
    timer_period = 0;
    app.tick_count = 0;
}
