// The tuning dialogs: one note combo per string; OK moves the targets, Reset the names.
#include "display/tuning_dialog_win.h"

#include <commctrl.h>

#include <array>
#include <string>

#include "app/app_state.h"
#include "app/dialog_win.h"
#include "display/tunings.h"
#include "resources/resource_ids.h"

namespace {

// Tuning dialog kinds as the menu hands them over (0 guitar, 1 ukulele, 2 bass, 3 shamisen),
// mapped to the tuner's instrument codes.
constexpr int kInstrumentOfKind[4] = {0, 2, 1, 3};
constexpr int kComboX = 36;
constexpr int kComboTop = 30;
constexpr int kRowStep = 30;
const wchar_t* const kStringLabels[6] = {L"１弦", L"２弦", L"３弦", L"４弦", L"５弦", L"６弦"};

int DialogInstrument() {
    int kind = app.tuning_dialog_kind;
    return (kind >= 0 && kind < 4) ? kInstrumentOfKind[kind] : 0;
}

// Combos share one control id, so the dialog keeps their handles in order.
struct TuningDialog {
    int instrument = 0;
    std::array<HWND, kMaxStrings> combos{};
};
TuningDialog open_dialog;

HWND CreateNoteCombo(HWND dialog, int row) {
    HWND combo =
        CreateWindowExW(0, WC_COMBOBOXEXW, L"", 0x50000003, kComboX, kComboTop + kRowStep * row, 60, 200, dialog,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_TUNING_COMBO)), app.instance, nullptr);
    for (int i = 0; i < 12; ++i) {
        std::wstring name(NoteNameList()[i], NoteNameList()[i] + std::char_traits<char>::length(NoteNameList()[i]));
        COMBOBOXEXITEMW item = {};
        item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE | CBEIF_INDENT;
        item.iItem = i;
        item.pszText = name.data();
        SendMessageW(combo, CBEM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
    return combo;
}

void SelectNames(const int* names) {
    for (int row = 0; row < StringCount(open_dialog.instrument); ++row) {
        SendMessageW(open_dialog.combos[row], CB_SETCURSEL, names[row], 0);
    }
}

void InitTuningDialog(HWND dialog) {
    open_dialog = TuningDialog{};
    open_dialog.instrument = DialogInstrument();
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
    for (int row = 0; row < StringCount(open_dialog.instrument); ++row) {
        HWND label = CreateWindowExW(0, L"STATIC", kStringLabels[row], WS_CHILD | WS_VISIBLE, 6,
                                     kComboTop + 4 + kRowStep * row, 28, 18, dialog, nullptr, app.instance, nullptr);
        SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        open_dialog.combos[row] = CreateNoteCombo(dialog, row);
    }
    SelectNames(NameSelections(app, open_dialog.instrument));
}

void ConfirmTuning() {
    std::array<int, kMaxStrings> selections{};
    for (int row = 0; row < StringCount(open_dialog.instrument); ++row) {
        selections[row] = static_cast<int>(SendMessageW(open_dialog.combos[row], CB_GETCURSEL, 0, 0));
    }
    ApplyTuningSelections(app, open_dialog.instrument, selections);
}

INT_PTR CALLBACK TuningDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG: InitTuningDialog(dialog); return TRUE;
        case WM_DESTROY: app.dialogs.tuning = nullptr; return TRUE;
        case WM_COMMAND:
            switch (LOWORD(wparam)) {
                case IDC_TUNING_RESET:
                    ResetTuningSelections(app, open_dialog.instrument);
                    SelectNames(NameSelections(app, open_dialog.instrument));
                    break;
                case IDOK:
                    ConfirmTuning();
                    DestroyWindow(dialog);
                    break;
                case IDCANCEL: DestroyWindow(dialog); break;
            }
            return TRUE;
    }
    return FALSE;
}

}  // namespace

HWND CreateTuningDialog(int template_id) {
    return CreateOwnedDialog(template_id, TuningDialogProc);
}
