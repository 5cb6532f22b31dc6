// The sine-wave dialog: frequency, wave, amplitude and length of a test tone, played once or
// stored as a WAV file.
#include "wavetools/tone_dialog_win.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>
#include <string>

#include "app/app_messages.h"
#include "app/app_state.h"
#include "app/dialog_win.h"
#include "app/text_win.h"
#include "app/toolbar_win.h"
#include "resources/resource_ids.h"
#include "wavetools/file_choosers_win.h"
#include "wavetools/playback_win.h"
#include "wavetools/tone.h"
#include "wavetools/wave_file.h"

namespace {

UINT DialogNumber(HWND dialog, int id) {
    return GetDlgItemInt(dialog, id, nullptr, FALSE);
}

LRESULT SendItem(HWND dialog, int id, UINT message, WPARAM wparam, LPARAM lparam) {
    return SendDlgItemMessageW(dialog, id, message, wparam, lparam);
}

void ShowPlayButton(HWND dialog, bool playing) {
    SetDlgItemTextW(dialog, IDC_TONE_PLAY, playing ? L"STOP" : L"PLAY");
}

void MoveFrequencySlider(HWND dialog, UINT hz) {
    SendItem(dialog, IDC_TONE_HZ_SLIDER, TBM_SETPOS, TRUE, static_cast<LPARAM>(std::min<UINT>(hz, INT_MAX)));
}

void InitToneDialog(HWND dialog) {
    // Missing or damaged settings show as what will actually play.
    app.sine_volume = ToneAmplitude(app.sine_volume);
    if (app.sine_type != kToneSquare && app.sine_type != kToneSine) app.sine_type = kToneSine;
    const int length = std::max(app.sampling_time_ms, 0);
    SetDlgItemInt(dialog, IDC_TONE_SECONDS, static_cast<UINT>(length / 1000), FALSE);
    SetDlgItemInt(dialog, IDC_TONE_MILLISECONDS, static_cast<UINT>(length % 1000), FALSE);
    SetDlgItemInt(dialog, IDC_TONE_HZ, static_cast<UINT>(std::max(app.sine_hz, 0)), FALSE);
    CheckRadioButton(dialog, IDC_TONE_SQUARE, IDC_TONE_SINE, IDC_TONE_SQUARE + app.sine_type);
    SetDialogText(dialog, IDC_TONE_FILE, app.sine_file);
    SendItem(dialog, IDC_TONE_HZ_SLIDER, TBM_SETRANGE, TRUE, MAKELPARAM(kMinToneSliderHz, kMaxToneSliderHz));
    MoveFrequencySlider(dialog, static_cast<UINT>(std::max(app.sine_hz, 0)));
    SendItem(dialog, IDC_TONE_AMPLITUDE_SLIDER, TBM_SETRANGE, TRUE, MAKELPARAM(kMinToneAmplitude, kMaxToneAmplitude));
    SendItem(dialog, IDC_TONE_AMPLITUDE_SLIDER, TBM_SETPOS, TRUE, app.sine_volume);
    SetDlgItemInt(dialog, IDC_TONE_AMPLITUDE, static_cast<UINT>(app.sine_volume), FALSE);
    if (app.play_kind == kPlayTone) ShowPlayButton(dialog, true);
}

// The tone the fields describe, into `tone`; its length in ms goes to `length_ms`.
std::uint32_t Generate(HWND dialog, WaveSource& tone, std::int64_t& length_ms) {
    const UINT hz = DialogNumber(dialog, IDC_TONE_HZ);
    MoveFrequencySlider(dialog, hz);
    length_ms =
        ToneLengthFromFields(DialogNumber(dialog, IDC_TONE_SECONDS), DialogNumber(dialog, IDC_TONE_MILLISECONDS));
    return MakeToneFromSettings(hz, static_cast<double>(length_ms), app.sine_type, tone);
}

void OnPlay(HWND dialog) {
    // The metronome's clicks have the device while it runs.
    if (app.current_tool == kToolMetronome && app.power_on) return;
    if (app.play_kind == kPlayTone) {
        ShowPlayButton(dialog, false);
        StopTone();
        return;
    }
    if (app.play_kind != kPlayNothing) return;
    WaveSource made;
    std::int64_t length_ms = 0;
    if (Generate(dialog, made, length_ms) == 0) return;
    ResetWaveSource(tone_source);
    tone_source = made;
    if (StartTone() == 0 && app.play_kind == kPlayTone) ShowPlayButton(dialog, true);
}

void OnMakeFile(HWND dialog) {
    WaveSource made;
    std::int64_t length_ms = 0;
    const std::uint32_t bytes = Generate(dialog, made, length_ms);
    if (bytes > 0) {
        app.sine_file = DialogText(dialog, IDC_TONE_FILE);
        const int length = static_cast<int>(std::min<std::int64_t>(length_ms, INT_MAX));
        if (WriteToneWave(app.sine_file, made.buffer, bytes, length, made.channels == 2)) {
            const std::wstring message = Widen(app.sine_file) + L"を作成しました。";
            MessageBoxW(dialog, message.c_str(), L"OK", MB_OK);
        }
    }
    ResetWaveSource(made);
}

void OnBrowse(HWND dialog) {
    if (ChooseToneFile(app.main_window, app.sine_file) != 0) return;
    SetDialogText(dialog, IDC_TONE_FILE, app.sine_file);
    MoveFrequencySlider(dialog, DialogNumber(dialog, IDC_TONE_HZ));
}

void CloseToneDialog(HWND dialog) {
    SetToolbarImage(IDM_SINE_WAVE, kImageSine);
    DestroyWindow(dialog);
}

void OnOk(HWND dialog) {
    app.sine_hz = static_cast<int>(std::min<UINT>(DialogNumber(dialog, IDC_TONE_HZ), INT_MAX));
    app.sampling_time_ms = ConfirmedToneLength(
        ToneLengthFromFields(DialogNumber(dialog, IDC_TONE_SECONDS), DialogNumber(dialog, IDC_TONE_MILLISECONDS)));
    app.sine_file = DialogText(dialog, IDC_TONE_FILE);
    CloseToneDialog(dialog);
}

void OnSlider(HWND dialog, HWND slider) {
    const int position = static_cast<int>(SendMessageW(slider, TBM_GETPOS, 0, 0));
    if (slider == GetDlgItem(dialog, IDC_TONE_HZ_SLIDER)) {
        SetDlgItemInt(dialog, IDC_TONE_HZ, static_cast<UINT>(position), FALSE);
    } else if (slider == GetDlgItem(dialog, IDC_TONE_AMPLITUDE_SLIDER)) {
        app.sine_volume = ToneAmplitude(position);
        SetDlgItemInt(dialog, IDC_TONE_AMPLITUDE, static_cast<UINT>(app.sine_volume), FALSE);
    }
}

INT_PTR CALLBACK ToneDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_INITDIALOG: InitToneDialog(dialog); return TRUE;
        case WM_DESTROY: app.dialogs.sine_wave = nullptr; return TRUE;
        case WM_HSCROLL: OnSlider(dialog, reinterpret_cast<HWND>(lparam)); return TRUE;
        case WM_APP_TONE_END:
            // The same number as DM_SETDEFID, which always names a control: only ours has wParam 0.
            if (wparam != 0) return FALSE;
            ShowPlayButton(dialog, false);
            return TRUE;
        case WM_COMMAND:
            switch (LOWORD(wparam)) {
                case IDC_TONE_SQUARE:
                case IDC_TONE_SINE: app.sine_type = LOWORD(wparam) - IDC_TONE_SQUARE; break;
                case IDC_TONE_PLAY: OnPlay(dialog); break;
                case IDC_TONE_MAKE_FILE: OnMakeFile(dialog); break;
                case IDC_TONE_BROWSE: OnBrowse(dialog); break;
                case IDOK: OnOk(dialog); break;
                case IDCANCEL: CloseToneDialog(dialog); break;
            }
            return TRUE;
    }
    return FALSE;
}

}  // namespace

HWND OpenToneDialog() {
    return CreateOwnedDialog(IDD_SINE_WAVE, ToneDialogProc);
}

std::uint32_t MakeToneFromSettings(double frequency, double length_ms, int wave, WaveSource& tone) {
    ToneShape shape;
    shape.frequency = frequency;
    shape.length_ms = length_ms;
    shape.wave = wave;
    shape.amplitude = app.sine_volume;
    shape.stereo = app.sampling_stereo != 0;
    const std::uint32_t bytes = MakeTone(shape, tone);
    if (bytes == 0 && ToneByteCount(shape) > 0) {
        MessageBoxW(app.main_window, L"Make Sine Wave not enough memory", L"error", MB_OK);
    }
    return bytes;
}
