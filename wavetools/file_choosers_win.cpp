// File choosers on the common dialogs.
#include "wavetools/file_choosers_win.h"

#include <cderr.h>
#include <commdlg.h>

#include <vector>

#include "app/text_win.h"
#include "wavetools/small_dialog_rules.h"

namespace {

// Every path that fits the program's fields fits this buffer, terminator included.
constexpr DWORD kPathChars = kMaxPathBytes + 1;

const wchar_t kWaveFilter[] = L"WAVE(*.wav)\0*.wav\0All files(*.*)\0*.*\0";
const wchar_t kTextFilter[] = L"TEXT(*.txt)\0*.txt\0All files(*.*)\0*.*\0";
const wchar_t kOpenWaveTitle[] = L"読み込みWAVEファイルオープン！";

// The Open and Save dialogs move the process's current folder to the chosen file's (an Open
// dialog ignores OFN_NOCHANGEDIR); everything the program reads by relative path would then look
// in the wrong place, so the folder is put back.
class KeepCurrentFolder {
public:
    KeepCurrentFolder() {
        DWORD needed = GetCurrentDirectoryW(0, nullptr);
        folder_.assign(needed + 1, L'\0');
        if (needed == 0 || GetCurrentDirectoryW(needed + 1, folder_.data()) == 0) folder_.clear();
    }
    ~KeepCurrentFolder() {
        if (!folder_.empty()) SetCurrentDirectoryW(folder_.data());
    }
    KeepCurrentFolder(const KeepCurrentFolder&) = delete;
    KeepCurrentFolder& operator=(const KeepCurrentFolder&) = delete;

private:
    std::vector<wchar_t> folder_;
};

int Choose(HWND owner, bool save, const wchar_t* filter, const wchar_t* extension, const wchar_t* title,
           std::string& destination) {
    KeepCurrentFolder keep;
    wchar_t path[kPathChars] = {};
    wchar_t file_title[64] = {};
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter;
    ofn.lpstrFile = path;
    ofn.nMaxFile = kPathChars;
    ofn.lpstrFileTitle = file_title;
    ofn.nMaxFileTitle = 64;
    // A save dialog must accept a name that doesn't exist yet.
    ofn.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR | (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    ofn.lpstrDefExt = extension;
    ofn.lpstrTitle = title;
    bool chosen = (save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn)) != FALSE;
    bool buffer_too_small = !chosen && CommDlgExtendedError() == FNERR_BUFFERTOOSMALL;
    std::string utf8 = chosen ? Narrow(path) : std::string();
    switch (ClassifyChoice(chosen, buffer_too_small, utf8.size())) {
        case ChooserOutcome::kChosen: destination = utf8; return 0;
        case ChooserOutcome::kTooLong:
            MessageBoxW(owner,
                        L"パス名が長すぎます（511 バイトまで）。短い名前のフォルダーに置いて選び直してください。",
                        title, MB_OK | MB_ICONWARNING);
            return -1;
        default: return -1;
    }
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
