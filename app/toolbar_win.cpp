// Toolbar creation, button images and tooltips.
#include "app/toolbar_win.h"

#include <commctrl.h>

#include "app/app_state.h"
#include "resources/resource_ids.h"

namespace {

struct ToolbarButton {
    int command;
    int tooltip;
};

constexpr ToolbarButton kButtons[] = {
    {IDM_POWER, IDS_TIP_POWER},         {IDM_PAUSE, IDS_TIP_PAUSE},         {IDM_SPECTRUM, IDS_TIP_SPECTRUM},
    {IDM_TUNER, IDS_TIP_TUNER},         {IDM_METRONOME, IDS_TIP_METRONOME}, {IDM_SINE_WAVE, IDS_TIP_SINE},
    {IDM_NOTE_MODE, IDS_TIP_NOTE_MODE}, {IDM_HELP, IDS_TIP_HELP},
};
constexpr int kButtonCount = static_cast<int>(sizeof(kButtons) / sizeof(kButtons[0]));
// The strip holds 16 images; the toolbar is told of the first eight, as the resource declares.
constexpr int kDeclaredImages = 8;

int ImageAtCreation(int command) {
    switch (command) {
        case IDM_POWER: return kImagePowerOff;
        case IDM_PAUSE: return kImagePauseOff;
        case IDM_SPECTRUM: return app.current_tool == kToolSpectrum ? kImageSpectrumActive : kImageSpectrum;
        case IDM_TUNER: return app.current_tool == kToolTuner ? kImageTunerActive : kImageTuner;
        case IDM_METRONOME: return app.current_tool == kToolMetronome ? kImageMetronomeActive : kImageMetronome;
        case IDM_SINE_WAVE: return kImageSine;
        case IDM_NOTE_MODE: return (app.plot_mode & 1) ? kImageNoteModeOn : kImageNoteModeOff;
        default: return kImageHelp;
    }
}

}  // namespace

void CreateMainToolbar(HWND window) {
    TBBUTTON buttons[kButtonCount] = {};
    for (int i = 0; i < kButtonCount; ++i) {
        buttons[i].iBitmap = ImageAtCreation(kButtons[i].command);
        buttons[i].idCommand = kButtons[i].command;
        buttons[i].fsState = TBSTATE_ENABLED;
        buttons[i].fsStyle = TBSTYLE_BUTTON;
    }
    app.toolbar = CreateToolbarEx(window, WS_CHILD | WS_VISIBLE | TBSTYLE_TOOLTIPS, IDC_TOOLBAR, kDeclaredImages,
                                  app.instance, IDB_TOOLBAR, buttons, kButtonCount, 16, 16, 16, 15, sizeof(TBBUTTON));
    app.toolbar_height = 0;
    if (!app.toolbar) return;
    RECT rect;
    GetWindowRect(app.toolbar, &rect);
    app.toolbar_height = rect.bottom - rect.top;
}

void SetToolbarImage(int command, int image) {
    if (app.toolbar) SendMessageW(app.toolbar, TB_CHANGEBITMAP, command, MAKELPARAM(image, 0));
}

void ShowCurrentToolOnToolbar() {
    for (int command : {IDM_SPECTRUM, IDM_TUNER, IDM_METRONOME}) SetToolbarImage(command, ImageAtCreation(command));
}

LRESULT OnToolbarNotify(LPARAM lparam) {
    auto* header = reinterpret_cast<NMHDR*>(lparam);
    if (header->code != TTN_GETDISPINFOW) return 0;
    auto* info = reinterpret_cast<NMTTDISPINFOW*>(lparam);
    for (const ToolbarButton& button : kButtons) {
        if (static_cast<UINT_PTR>(button.command) == header->idFrom) {
            info->hinst = app.instance;
            info->lpszText = MAKEINTRESOURCEW(button.tooltip);
        }
    }
    return 0;
}
