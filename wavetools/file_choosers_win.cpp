// File choosers on the common dialogs.
#include "wavetools/file_choosers_win.h"

#include <commdlg.h>

#include "app/text_win.h"

namespace {

// Paths longer than this don't fit the program's 512-byte path fields.
constexpr size_t kMaxPathBytes = 511;

const wchar_t kWaveFilter[] = L"WAVE(*.wav)\0*.wav\0All files(*.*)\0*.*\0";
const wchar_t kTextFilter[] = L"TEXT(*.txt)\0*.txt\0All files(*.*)\0*.*\0";
const wchar_t kOpenWaveTitle[] = L"読み込みWAVEファイルオープン！";

int Choose(HWND owner, bool save, const wchar_t* filter, const wchar_t* extension, const wchar_t* title,
           std::string& destination) {
    wchar_t path[260] = {};
    wchar_t file_title[64] = {};
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter;
    ofn.lpstrFile = path;
    ofn.nMaxFile = 260;
    ofn.lpstrFileTitle = file_title;
    ofn.nMaxFileTitle = 64;
    // A save dialog must accept a name that doesn't exist yet.
    ofn.Flags = OFN_HIDEREADONLY | (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    ofn.lpstrDefExt = extension;
    ofn.lpstrTitle = title;
    BOOL chosen = save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
    if (!chosen) return -1;
    std::string utf8 = Narrow(path);
    if (utf8.size() > kMaxPathBytes) return -1;
    destination = utf8;
    return 0;
}

}  // namespace

int ChooseSoundFile(HWND owner, std::string& path) {
    return Choose(owner, false, kWaveFilter, L"WAVE", kOpenWaveTitle, path);
}

int ChooseAnalysisWave(HWND owner, std::string& path) {
    return Choose(owner, false, kWaveFilter, L"WAVE", L"解析WAVEファイルオープン！", path);
}

int ChooseToneFile(HWND owner, std::string& path) {
    return Choose(owner, true, kWaveFilter, L"WAVE", L"Make Sine WAVEファイル", path);
}

int ChooseLogFile(HWND owner, std::string& path) {
    return Choose(owner, true, kTextFilter, L"TEXT", L"Log ファイル", path);
}

int ChooseCancelerFile(HWND owner, bool save, std::string& path) {
    return Choose(owner, save, kWaveFilter, L"WAVE", kOpenWaveTitle, path);
}
