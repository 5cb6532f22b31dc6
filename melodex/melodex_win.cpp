// Melodex exports. The library's capture and frame analysis arrive with pitch following; until
// then it reports itself stopped.
#define MELODEX_BUILD
#include "melodex/melodex.h"

namespace {
HWND notify_window = nullptr;
}  // namespace

int MelodexInitialize() { return 0; }

HWND SetWindowHandle(HWND window) {
    notify_window = window;
    return notify_window;
}

BYTE StartMelodex() { return 0; }
void StopMelodex() {}
BYTE GetMelodexStatus() { return 0; }
void MelodexProc(LPARAM, int) {}
