// Tuning dialogs; their templates and editing arrive with the instrument tunings.
#include "display/tuning_dialog_win.h"

HWND CreateTuningDialog(int) { return nullptr; }
