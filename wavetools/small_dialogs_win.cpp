// Dialog procedures of Config, Play volume and About. Each clears its handle when it goes.
#include "wavetools/small_dialogs_win.h"

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "app/app_state.h"
#include "app/dialog_win.h"
#include "audio/analysis_tables.h"
#include "audio/capture_win.h"
#include "audio/key_frequency.h"
#include "audio/rate_change.h"
#include "audio/spectra.h"
#include "display/images_win.h"
#include "display/spectrum_display_win.h"
#include "resources/resource_ids.h"
#include "wavetools/file_choosers_win.h"
#include "wavetools/playback_win.h"
#include "wavetools/small_dialog_rules.h"

namespace {

// Config ------------------------------------------------------------------------------------

void InitConfig(HWND dialog) {
    SetDlgItemInt(dialog, IDC_CONFIG_SAMPLING_HZ, static_cast<UINT>(app.sampling_hz), FALSE);
    SetDialogText(dialog, IDC_CONFIG_FIRST_BEAT_FILE, app.metro_sound_file[0]);
    SetDialogText(dialog, IDC_CONFIG_BEAT_FILE, app.metro_sound_file[1]);
    SetDlgItemInt(dialog, IDC_CONFIG_PALETTE, static_cast<UINT>(app.palette_no), FALSE);
    SetDlgItemInt(dialog, IDC_CONFIG_A4, static_cast<UINT>(app.reference_a4_hz), FALSE);
    CheckRadioButton(dialog, IDC_CONFIG_TYPE1, IDC_CONFIG_TYPE3, IDC_CONFIG_TYPE1 + app.metro_move_type);
    CheckRadioButton(dialog, IDC_CONFIG_CLEAR_LINE, IDC_CONFIG_KEEP_LINE,
                     (app.conductor_line & 1) ? IDC_CONFIG_CLEAR_LINE : IDC_CONFIG_KEEP_LINE);
}

void BrowseSoundInto(HWND dialog, int edit_id) {
    std::string chosen;
    if (ChooseSoundFile(app.main_window, chosen) == 0) SetDialogText(dialog, edit_id, chosen);
}

void ConfirmConfig(HWND dialog) {
    app.metro_sound_file[0] = DialogText(dialog, IDC_CONFIG_FIRST_BEAT_FILE);
    app.metro_sound_file[1] = DialogText(dialog, IDC_CONFIG_BEAT_FILE);
    int rate = ConfirmedSamplingHz(GetDlgItemInt(dialog, IDC_CONFIG_SAMPLING_HZ, nullptr, FALSE));
    ApplySamplingRate(app, rate,
                      {StopCapture, [](int) { BuildAnalysisTables(); },
                       [](int) {
                           if (OpenCapture(app.main_window) == 0) StartCapture();
                       }});
    int palette = ConfirmedPaletteNo(GetDlgItemInt(dialog, IDC_CONFIG_PALETTE, nullptr, FALSE));
    if (palette != app.palette_no) {
        app.palette_no = palette;
        BuildSpectrumColours(palette);
        InvalidateDrawingArea();
    }
    // The key bands move at once; the running capture keeps its rate, and so do the tables.
    int a4 = CheckedReferencePitch(static_cast<int>(GetDlgItemInt(dialog, IDC_CONFIG_A4, nullptr, FALSE)));
    if (a4 != app.reference_a4_hz) {
        app.reference_a4_hz = a4;
        spectra.SetReferencePitch(a4);
        InvalidateDrawingArea();
    }
}

INT_PTR CALLBACK ConfigProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG: InitConfig(dialog); return TRUE;
        case WM_DESTROY: app.dialogs.config = nullptr; return TRUE;
        case WM_COMMAND:
            switch (LOWORD(wparam)) {
                case IDC_CONFIG_FIRST_BEAT_BROWSE: BrowseSoundInto(dialog, IDC_CONFIG_FIRST_BEAT_FILE); break;
                case IDC_CONFIG_BEAT_BROWSE: BrowseSoundInto(dialog, IDC_CONFIG_BEAT_FILE); break;
                case IDC_CONFIG_TYPE1:
                case IDC_CONFIG_TYPE2:
                case IDC_CONFIG_TYPE3: app.metro_move_type = LOWORD(wparam) - IDC_CONFIG_TYPE1; break;
                case IDC_CONFIG_CLEAR_LINE: app.conductor_line = 1; break;
                case IDC_CONFIG_KEEP_LINE: app.conductor_line = 0; break;
                case IDOK:
                    ConfirmConfig(dialog);
                    DestroyWindow(dialog);
                    break;
                case IDCANCEL: DestroyWindow(dialog); break;
            }
            return TRUE;
    }
    return FALSE;
}

// Play volume -------------------------------------------------------------------------------

void ShowVolumeWords(HWND dialog) {
    SetDlgItemInt(dialog, IDC_VOLUME_LEFT_TEXT, app.play_volume >> 16, FALSE);
    SetDlgItemInt(dialog, IDC_VOLUME_RIGHT_TEXT, app.play_volume & 0xFFFF, FALSE);
}

void InitPlayVolume(HWND dialog) {
    ShowVolumeWords(dialog);
    for (int id : {IDC_VOLUME_LEFT, IDC_VOLUME_RIGHT}) {
        SendDlgItemMessageW(dialog, id, TBM_SETRANGE, TRUE, MAKELPARAM(0, kVolumeSliderMax));
    }
    SendDlgItemMessageW(dialog, IDC_VOLUME_LEFT, TBM_SETPOS, TRUE, UpperSliderPosition(app.play_volume));
    SendDlgItemMessageW(dialog, IDC_VOLUME_RIGHT, TBM_SETPOS, TRUE, LowerSliderPosition(app.play_volume));
}

void OnVolumeSlider(HWND dialog) {
    int upper = static_cast<int>(SendDlgItemMessageW(dialog, IDC_VOLUME_LEFT, TBM_GETPOS, 0, 0));
    int lower = static_cast<int>(SendDlgItemMessageW(dialog, IDC_VOLUME_RIGHT, TBM_GETPOS, 0, 0));
    app.play_volume = PlayVolumeFromSliders(upper, lower);
    if (app.saved_play_volume != 0) SetPlayVolume(app.play_volume);
    ShowVolumeWords(dialog);
}

INT_PTR CALLBACK PlayVolumeProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_INITDIALOG: InitPlayVolume(dialog); return TRUE;
        case WM_DESTROY: app.dialogs.play_volume = nullptr; return TRUE;
        case WM_HSCROLL:
            if (reinterpret_cast<HWND>(lparam) == GetDlgItem(dialog, IDC_VOLUME_LEFT) ||
                reinterpret_cast<HWND>(lparam) == GetDlgItem(dialog, IDC_VOLUME_RIGHT)) {
                OnVolumeSlider(dialog);
            }
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL) DestroyWindow(dialog);
            return TRUE;
    }
    return FALSE;
}

// About -------------------------------------------------------------------------------------

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG: return TRUE;
        case WM_DESTROY:
            if (app.dialogs.about == dialog) app.dialogs.about = nullptr;
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL) DestroyWindow(dialog);
            return TRUE;
    }
    return FALSE;
}

}  // namespace

void OpenConfigDialog() {
    if (!app.dialogs.config) app.dialogs.config = CreateOwnedDialog(IDD_CONFIG, ConfigProc);
}

void OpenPlayVolumeDialog() {
    if (!app.dialogs.play_volume) app.dialogs.play_volume = CreateOwnedDialog(IDD_PLAY_VOLUME, PlayVolumeProc);
}

void OpenAboutDialog() {
    app.dialogs.about = CreateOwnedDialog(IDD_ABOUT, AboutProc);
}
