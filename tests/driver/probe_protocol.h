// The request block that harmodrv.exe shares with harmoprobe.dll running inside the observed program.
#ifndef HARMOLAB_TESTS_DRIVER_PROBE_PROTOCOL_H
#define HARMOLAB_TESTS_DRIVER_PROBE_PROTOCOL_H

#include <windows.h>

#include <cwchar>

namespace probe {

// The driver posts this registered message to the observed window with wParam = the driver's process id;
// the hook in the window's thread answers through the mapping and the event named after that id, so
// several drivers can watch programs at once without crossing answers.
constexpr wchar_t kRequestMessageName[] = L"Harmolab.Probe.Request";

// Name of the export that SetWindowHook installs (the DLL is linked with --kill-at, so no @12 suffix).
constexpr char kHookExport[] = "ProbeGetMessage";

inline void MappingName(wchar_t* out, size_t size, DWORD driver_pid) {
    std::swprintf(out, size, L"Local\\Harmolab.Probe.Block.%lu", static_cast<unsigned long>(driver_pid));
}

inline void DoneEventName(wchar_t* out, size_t size, DWORD driver_pid) {
    std::swprintf(out, size, L"Local\\Harmolab.Probe.Done.%lu", static_cast<unsigned long>(driver_pid));
}

enum Op : LONG {
    kMenuState = 1,         // arg0 = command id -> value0 = GetMenuState result (-1 when absent), text = item text
    kMenuBar = 2,           // -> value0 = item count, text = item texts separated by '\n'
    kSysMenu = 3,           // arg0..argN = SC_ ids (count in arg_count) -> value[i] = GetMenuState result
    kToolbarCount = 4,      // arg0 = toolbar control id -> value0 = button count
    kToolbarButton = 5,     // arg0 = toolbar id, arg1 = index -> value0 command, 1 image, 2 state, 3 style
    kToolbarByCommand = 6,  // arg0 = toolbar id, arg1 = command -> value0 index, 1 image, 2 state, 3 style
    kTooltip = 7,           // arg0 = toolbar id, arg1 = command, arg2 = route -> text
    kCapture = 8,           // arg0 = method, text_in = BMP path -> value0 width, value1 height
    kResources = 9,         // -> value0 GDI objects of the process, value1 windows of the thread (children too),
                            //    value2 KiB and value3 blocks in use in the process's heaps
    kLeakBrush = 10,        // creates a brush and never deletes it (shows that kResources can see a leak)
    kBlock = 11,            // arg0 = milliseconds the GUI thread is held up, as by a slow handler
    kLeakMemory = 12,       // arg0 = bytes taken with malloc and never freed (kResources' heap use sees them)
};

// How the tooltip text is fetched: through the toolbar's own tooltip control (as a hovering user
// would get it), or by sending the text request straight to the window as the toolbar does.
enum TooltipRoute : LONG { kTooltipFromControl = 0, kTooltipFromNotify = 1 };

// How a window is captured from inside its process: blit from its window DC (what the window shows,
// frame and menu included) or ask it to print itself.
enum CaptureMethod : LONG { kCaptureWindowDc = 0, kCapturePrintWindow = 1 };

constexpr int kMaxArgs = 8;
constexpr int kMaxValues = 16;
constexpr int kTextChars = 4096;

// Status codes written by the hook.
enum Status : LONG { kPending = -1, kOk = 0, kNoMenu = 1, kNoControl = 2, kFailed = 3, kBadRequest = 4 };

struct Block {
    LONG op;
    LONG arg_count;
    LONG arg[kMaxArgs];
    WCHAR text_in[MAX_PATH * 2];
    LONG status;
    LONG values[kMaxValues];
    WCHAR text_out[kTextChars];
};

}  // namespace probe

#endif
