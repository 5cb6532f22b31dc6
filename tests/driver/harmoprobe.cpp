// Hook DLL that answers harmodrv.exe's questions from inside the observed program's GUI thread.
//
// Under Wine menus, toolbar button records and tooltip texts live in the owning process, so a
// question that needs a pointer (GetMenuState, TB_GETBUTTONINFO, TTM_GETTEXT) must be asked there.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "capture_bmp.h"
#include "probe_protocol.h"

namespace {

class MappedBlock {
public:
    explicit MappedBlock(DWORD driver_pid) {
        wchar_t name[96];
        probe::MappingName(name, 96, driver_pid);
        mapping_ = OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, name);
        if (mapping_) view_ = static_cast<probe::Block*>(MapViewOfFile(mapping_, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    }
    ~MappedBlock() {
        if (view_) UnmapViewOfFile(view_);
        if (mapping_) CloseHandle(mapping_);
    }
    MappedBlock(const MappedBlock&) = delete;
    MappedBlock& operator=(const MappedBlock&) = delete;
    probe::Block* get() const { return view_; }

private:
    HANDLE mapping_ = nullptr;
    probe::Block* view_ = nullptr;
};

void CopyText(probe::Block& b, const wchar_t* text) {
    std::wcsncpy(b.text_out, text ? text : L"", probe::kTextChars - 1);
    b.text_out[probe::kTextChars - 1] = 0;
}

void AnswerMenuState(probe::Block& b, HWND hwnd) {
    HMENU menu = GetMenu(hwnd);
    if (!menu) {
        b.status = probe::kNoMenu;
        return;
    }
    UINT id = static_cast<UINT>(b.arg[0]);
    b.values[0] = static_cast<LONG>(GetMenuState(menu, id, MF_BYCOMMAND));
    wchar_t text[512] = L"";
    if (b.values[0] != -1) GetMenuStringW(menu, id, text, 512, MF_BYCOMMAND);
    CopyText(b, text);
    b.status = probe::kOk;
}

void AnswerMenuBar(probe::Block& b, HWND hwnd) {
    HMENU menu = GetMenu(hwnd);
    if (!menu) {
        b.status = probe::kNoMenu;
        return;
    }
    int count = GetMenuItemCount(menu);
    b.values[0] = count;
    size_t used = 0;
    b.text_out[0] = 0;
    for (int i = 0; i < count; ++i) {
        wchar_t text[256] = L"";
        GetMenuStringW(menu, i, text, 256, MF_BYPOSITION);
        int n = std::swprintf(b.text_out + used, probe::kTextChars - used, L"%ls%ls", i ? L"\n" : L"", text);
        if (n < 0) break;
        used += static_cast<size_t>(n);
    }
    b.status = probe::kOk;
}

void AnswerSysMenu(probe::Block& b, HWND hwnd) {
    HMENU menu = GetSystemMenu(hwnd, FALSE);
    if (!menu) {
        b.status = probe::kNoMenu;
        return;
    }
    for (LONG i = 0; i < b.arg_count && i < probe::kMaxArgs; ++i)
        b.values[i] = static_cast<LONG>(GetMenuState(menu, static_cast<UINT>(b.arg[i]), MF_BYCOMMAND));
    b.status = probe::kOk;
}

HWND Toolbar(const probe::Block& b, HWND hwnd) {
    return GetDlgItem(hwnd, b.arg[0]);
}

void AnswerToolbarCount(probe::Block& b, HWND hwnd) {
    HWND tb = Toolbar(b, hwnd);
    if (!tb) {
        b.status = probe::kNoControl;
        return;
    }
    b.values[0] = static_cast<LONG>(SendMessageW(tb, TB_BUTTONCOUNT, 0, 0));
    b.status = probe::kOk;
}

void AnswerToolbarButton(probe::Block& b, HWND hwnd) {
    HWND tb = Toolbar(b, hwnd);
    if (!tb) {
        b.status = probe::kNoControl;
        return;
    }
    TBBUTTON button = {};
    if (!SendMessageW(tb, TB_GETBUTTON, static_cast<WPARAM>(b.arg[1]), reinterpret_cast<LPARAM>(&button))) {
        b.status = probe::kFailed;
        return;
    }
    b.values[0] = button.idCommand;
    b.values[1] = button.iBitmap;
    b.values[2] = button.fsState;
    b.values[3] = button.fsStyle;
    b.status = probe::kOk;
}

void AnswerToolbarByCommand(probe::Block& b, HWND hwnd) {
    HWND tb = Toolbar(b, hwnd);
    if (!tb) {
        b.status = probe::kNoControl;
        return;
    }
    TBBUTTONINFOW info = {};
    info.cbSize = sizeof(info);
    info.dwMask = TBIF_IMAGE | TBIF_STATE | TBIF_STYLE;
    LRESULT index = SendMessageW(tb, TB_GETBUTTONINFOW, static_cast<WPARAM>(b.arg[1]), reinterpret_cast<LPARAM>(&info));
    if (index < 0) {
        b.status = probe::kFailed;
        return;
    }
    b.values[0] = static_cast<LONG>(index);
    b.values[1] = info.iImage;
    b.values[2] = info.fsState;
    b.values[3] = info.fsStyle;
    b.status = probe::kOk;
}

// Asks the toolbar's tooltip control for the tool's text; for a callback tool the control sends the
// text request to the toolbar, which passes it on to the program's window.
void TooltipFromControl(probe::Block& b, HWND tb) {
    HWND tips = reinterpret_cast<HWND>(SendMessageW(tb, TB_GETTOOLTIPS, 0, 0));
    if (!tips) {
        b.status = probe::kNoControl;
        return;
    }
    static wchar_t text[1024];
    text[0] = 0;
    TTTOOLINFOW tool = {};
    tool.cbSize = sizeof(tool);
    tool.hwnd = tb;
    tool.uId = static_cast<UINT_PTR>(b.arg[1]);
    tool.lpszText = text;
    SendMessageW(tips, TTM_GETTEXTW, 1024, reinterpret_cast<LPARAM>(&tool));
    CopyText(b, text);
    b.status = probe::kOk;
}

// Sends the text request to the window the way the toolbar does, and resolves what comes back.
void TooltipFromNotify(probe::Block& b, HWND hwnd, HWND tb) {
    HWND tips = reinterpret_cast<HWND>(SendMessageW(tb, TB_GETTOOLTIPS, 0, 0));
    NMTTDISPINFOW info = {};
    info.hdr.hwndFrom = tips ? tips : tb;
    info.hdr.idFrom = static_cast<UINT_PTR>(b.arg[1]);
    info.hdr.code = TTN_GETDISPINFOW;
    SendMessageW(hwnd, WM_NOTIFY, static_cast<WPARAM>(b.arg[1]), reinterpret_cast<LPARAM>(&info));
    wchar_t text[1024] = L"";
    if (info.lpszText && IS_INTRESOURCE(info.lpszText)) {
        if (info.hinst)
            LoadStringW(info.hinst, static_cast<UINT>(reinterpret_cast<UINT_PTR>(info.lpszText)), text, 1024);
    } else if (info.lpszText) {
        std::wcsncpy(text, info.lpszText, 1023);
    } else {
        std::wcsncpy(text, info.szText, 79);
    }
    CopyText(b, text);
    b.values[0] = info.hinst ? 1 : 0;
    b.values[1] = info.lpszText && IS_INTRESOURCE(info.lpszText)
                      ? static_cast<LONG>(reinterpret_cast<UINT_PTR>(info.lpszText))
                      : 0;
    b.status = probe::kOk;
}

void AnswerTooltip(probe::Block& b, HWND hwnd) {
    HWND tb = Toolbar(b, hwnd);
    if (!tb) {
        b.status = probe::kNoControl;
        return;
    }
    if (b.arg[2] == probe::kTooltipFromNotify)
        TooltipFromNotify(b, hwnd, tb);
    else
        TooltipFromControl(b, tb);
}

void AnswerCapture(probe::Block& b, HWND hwnd) {
    RECT r;
    GetWindowRect(hwnd, &r);
    int width = r.right - r.left;
    int height = r.bottom - r.top;
    if (width <= 0 || height <= 0) {
        b.status = probe::kFailed;
        return;
    }
    HDC window_dc = GetWindowDC(hwnd);
    const bool ok = CaptureToBmp(window_dc, width, height, b.text_in, [&](HDC memory_dc) {
        if (b.arg[0] == probe::kCapturePrintWindow) return PrintWindow(hwnd, memory_dc, 0) != FALSE;
        return BitBlt(memory_dc, 0, 0, width, height, window_dc, 0, 0, SRCCOPY) != FALSE;
    });
    ReleaseDC(hwnd, window_dc);
    b.values[0] = width;
    b.values[1] = height;
    b.status = ok ? probe::kOk : probe::kFailed;
}

// GetGuiResources asked from another process answers 0 under Wine, so the objects are counted
// here: every handle value whose low word indexes a live GDI object is recognised by
// GetObjectType (Wine matches a zero high word to any generation).
LONG CountGdiObjects() {
    LONG count = 0;
    for (UINT_PTR index = 1; index < 0x10000; ++index) {
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0) ++count;
    }
    return count;
}

BOOL CALLBACK CountWindow(HWND window, LPARAM counter) {
    ++*reinterpret_cast<LONG*>(counter);
    EnumChildWindows(window, CountWindow, counter);
    return TRUE;
}

// Bytes and blocks in use in every heap of the process (the C runtime's included), in KiB: what the
// program and the libraries it calls hold, apart from the pages Wine keeps mapped once touched.
void CountHeapUse(LONG* kib, LONG* blocks) {
    HANDLE heaps[64];
    DWORD count = GetProcessHeaps(64, heaps);
    unsigned long long bytes = 0;
    LONG busy = 0;
    for (DWORD i = 0; i < count && i < 64; ++i) {
        if (!HeapLock(heaps[i])) continue;
        PROCESS_HEAP_ENTRY entry = {};
        while (HeapWalk(heaps[i], &entry)) {
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) {
                bytes += entry.cbData;
                ++busy;
            }
        }
        HeapUnlock(heaps[i]);
    }
    *kib = static_cast<LONG>(bytes / 1024);
    *blocks = busy;
}

void AnswerResources(probe::Block& b, HWND hwnd) {
    b.values[0] = CountGdiObjects();
    CountHeapUse(&b.values[2], &b.values[3]);
    LONG windows = 0;
    EnumThreadWindows(GetWindowThreadProcessId(hwnd, nullptr), CountWindow, reinterpret_cast<LPARAM>(&windows));
    b.values[1] = windows;
    b.status = probe::kOk;
}

void AnswerLeakBrush(probe::Block& b) {
    b.status = CreateSolidBrush(RGB(1, 2, 3)) ? probe::kOk : probe::kFailed;
}

void AnswerLeakMemory(probe::Block& b) {
    void* leaked = std::malloc(static_cast<size_t>(b.arg[0]));
    if (leaked) std::memset(leaked, 1, static_cast<size_t>(b.arg[0]));
    b.status = leaked ? probe::kOk : probe::kFailed;
}

void Serve(DWORD driver_pid, HWND hwnd) {
    MappedBlock mapped(driver_pid);
    probe::Block* b = mapped.get();
    if (!b) return;
    switch (b->op) {
        case probe::kMenuState: AnswerMenuState(*b, hwnd); break;
        case probe::kMenuBar: AnswerMenuBar(*b, hwnd); break;
        case probe::kSysMenu: AnswerSysMenu(*b, hwnd); break;
        case probe::kToolbarCount: AnswerToolbarCount(*b, hwnd); break;
        case probe::kToolbarButton: AnswerToolbarButton(*b, hwnd); break;
        case probe::kToolbarByCommand: AnswerToolbarByCommand(*b, hwnd); break;
        case probe::kTooltip: AnswerTooltip(*b, hwnd); break;
        case probe::kCapture: AnswerCapture(*b, hwnd); break;
        case probe::kResources: AnswerResources(*b, hwnd); break;
        case probe::kLeakBrush: AnswerLeakBrush(*b); break;
        case probe::kLeakMemory: AnswerLeakMemory(*b); break;
        case probe::kBlock:
            Sleep(static_cast<DWORD>(b->arg[0]));
            b->status = probe::kOk;
            break;
        default: b->status = probe::kBadRequest; break;
    }
    wchar_t name[96];
    probe::DoneEventName(name, 96, driver_pid);
    HANDLE done = OpenEventW(EVENT_MODIFY_STATE, FALSE, name);
    if (done) {
        SetEvent(done);
        CloseHandle(done);
    }
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK ProbeGetMessage(int code, WPARAM wparam, LPARAM lparam) {
    static const UINT request = RegisterWindowMessageW(probe::kRequestMessageName);
    if (code == HC_ACTION && wparam == PM_REMOVE) {
        MSG* msg = reinterpret_cast<MSG*>(lparam);
        if (msg->message == request && msg->hwnd) {
            Serve(static_cast<DWORD>(msg->wParam), msg->hwnd);
            // The program never sees the request.
            msg->message = WM_NULL;
        }
    }
    return CallNextHookEx(nullptr, code, wparam, lparam);
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
    return TRUE;
}
