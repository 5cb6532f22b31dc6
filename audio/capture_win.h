// Recording from the sound card into the analysis frame.
#ifndef HARMOLAB_AUDIO_CAPTURE_WIN_H
#define HARMOLAB_AUDIO_CAPTURE_WIN_H

#include <windows.h>

#include <cstdint>

#include "audio/capture_engine.h"

// The analysis frame lives from window creation to destruction.
void AllocateCaptureFrame();
void FreeCaptureFrame();

// 0 on success, -1 on failure; failures inside the capture are silent.
int OpenCapture(HWND window);
void StartCapture();
void StopCapture();

// The newest analysed samples, oldest first; null before window creation.
const int16_t* AnalysisFrame();

// Handles one WM_APP_CAPTURE_DATA notification.
void OnCaptureData(HWND window, LPARAM header);

#endif
