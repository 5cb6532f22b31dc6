// Runs the search's lanes on short-lived threads and waits for all of them.
#include "wavetools/lane_runner_win.h"

#include <windows.h>
#include <process.h>

#include <algorithm>

namespace {

constexpr int kMostLanes = 8;

struct LaneStart {
    const std::function<void(int)>* task;
    int lane;
};

unsigned __stdcall LaneMain(void* parameter) {
    const auto* start = static_cast<const LaneStart*>(parameter);
    (*start->task)(start->lane);
    return 0;
}

}  // namespace

ProcessorLanes::ProcessorLanes() {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    lanes_ = std::clamp(static_cast<int>(info.dwNumberOfProcessors), 1, kMostLanes);
}

void ProcessorLanes::RunLanes(const std::function<void(int)>& task) {
    LaneStart starts[kMostLanes];
    HANDLE threads[kMostLanes];
    int started = 0;
    int lane = 1;
    for (; lane < lanes_; ++lane) {
        starts[started] = {&task, lane};
        auto thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, LaneMain, &starts[started], 0, nullptr));
        if (!thread) break;
        threads[started++] = thread;
    }
    task(0);
    for (; lane < lanes_; ++lane) task(lane);
    if (started > 0) WaitForMultipleObjects(static_cast<DWORD>(started), threads, TRUE, INFINITE);
    for (int i = 0; i < started; ++i) CloseHandle(threads[i]);
}
