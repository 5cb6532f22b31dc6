// Dialog creation and text fields.
#include "app/dialog_win.h"

#include <cwchar>

#include "app/app_state.h"
#include "app/text_win.h"

HWND CreateOwnedDialog(int template_id, DLGPROC procedure) {
    HWND dialog = CreateDialogParamW(app.instance, MAKEINTRESOURCEW(template_id), app.main_window, procedure, 0);
    if (dialog) ShowWindow(dialog, SW_SHOW);
    return dialog;
}

bool RouteToModelessDialog(MSG& msg) {
    if (!msg.hwnd) return false;
    HWND root = GetAncestor(msg.hwnd, GA_ROOT);
    if (!root || root == app.main_window) return false;
    wchar_t window_class[8] = {};
    GetClassNameW(root, window_class, 8);
    if (std::wcscmp(window_class, L"#32770") != 0) return false;
    return IsDialogMessageW(root, &msg) != FALSE;
}

std::string DialogText(HWND dialog, int id) {
    wchar_t buffer[512] = {};
    GetDlgItemTextW(dialog, id, buffer, 512);
    return Narrow(buffer);
}

void SetDialogText(HWND dialog, int id, const std::string& text) {
    SetDlgItemTextW(dialog, id, Widen(text).c_str());
}
