// Wave-input capture. The device glue arrives with the analyser; until then power-on records nothing.
#include "audio/capture_win.h"

#include "app/app_state.h"

void AllocateCaptureFrame() {}
void FreeCaptureFrame() {}

int OpenCapture(HWND) { return -1; }
void StartCapture() {}
void StopCapture() { app.capture_running = 0; }

void OnCaptureData(HWND, LPARAM) {}
