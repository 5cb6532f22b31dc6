// The guitar, bass, ukulele and shamisen tuning dialogs.
#ifndef HARMOLAB_DISPLAY_TUNING_DIALOG_WIN_H
#define HARMOLAB_DISPLAY_TUNING_DIALOG_WIN_H

#include <windows.h>

// Creates the modeless tuning dialog from its template for tuning_dialog_kind; null on failure.
HWND CreateTuningDialog(int template_id);

#endif
