// Dialog creation and text fields.
#include "app/dialog_win.h"

#include "app/app_state.h"
#include "app/text_win.h"

HWND CreateOwnedDialog(int template_id, DLGPROC procedure) {
    HWND dialog = CreateDialogParamW(app.instance, MAKEINTRESOURCEW(template_id), app.main_window, procedure, 0);
    if (dialog) ShowWindow(dialog, SW_SHOW);
    return dialog;
}

std::string DialogText(HWND dialog, int id) {
    wchar_t buffer[512] = {};
    GetDlgItemTextW(dialog, id, buffer, 512);
    return Narrow(buffer);
}

void SetDialogText(HWND dialog, int id, const std::string& text) {
    SetDlgItemTextW(dialog, id, Widen(text).c_str());
}
