// Console driver that the system tests use to find, steer and observe Harmolab's windows under Wine.
//
// Interactive: one command per line on stdin, one answer line per command on stdout ("ok ..." or
// "err ..."), flushed at once, so a test starts one driver and asks many cheap questions.
// One-shot: the command is given in argv (several separated by ";"); the exit code is 0 when all
// answers were "ok". Text in commands and answers is UTF-8 with '%', spaces, commas and control
// characters percent-escaped, so every answer stays one line of space-separated fields.
//
// Commands (numbers in decimal or 0x hex; coordinates in pixels):
//   hello                          -> ok harmodrv 1
//   wait CLASS[|CLASS..] [MS] [any] a visible top-level window of a class becomes the target
//                                  -> ok hwnd=0x.. pid=N tid=N
//   find CLASS                     -> ok hwnd=0x.. (0 when none)      target HWND -> as wait
//   gone [MS]                      -> ok once the target no longer exists
//   send MSG WPARAM LPARAM [MS]    -> ok result=N                      post MSG WPARAM LPARAM -> ok
//   rect | client                  -> ok LEFT TOP RIGHT BOTTOM (screen coordinates)
//   style                          -> ok style=0x.. exstyle=0x..
//   title | class                  -> ok TEXT
//   state                          -> ok exists= visible= iconic= zoomed= enabled=
//   metric SM_NAME|INDEX           -> ok N
//   childrect ID                   -> ok LEFT TOP RIGHT BOTTOM visible= class= (target client coordinates)
//   children                       -> ok N hwnd,id,class,visible,text ...
//   windows [class=C] [title=T]    -> ok N hwnd,class,visible,title ... (the target's process)
//   count [class=C] [title=T]      -> ok N
//   desktop                        -> ok N hwnd,class,pid,title ... (every visible top-level window)
//   process                        -> ok pid= alive= exit=
//   sound                          -> ok outputs= inputs= output_open= input_open= (0 = opened)
//   menu ID                        -> ok exists= checked= grayed= disabled= state=0x.. text=TEXT
//   menubar                        -> ok N TEXT ...
//   sysmenu                        -> ok restore= move= size= minimize= maximize= close= (1 = present)
//   tbcount | tbbutton INDEX | tbimage COMMAND   [TOOLBAR_ID, default 40034]
//                                  -> ok N | ok command= image= state= style= | ok image= index= ...
//   tooltip COMMAND [control|notify] -> ok TEXT
//   capture PATH [window|print|screen] -> ok WIDTH HEIGHT (24-bit BMP of the whole window)
//   click X Y | mouse down|up|move X Y  (client coordinates) -> ok
//   sleep MS | quit
// Menu, toolbar, tooltip and window-DC capture questions are answered inside the program by
// harmoprobe.dll (see probe_protocol.h), because under Wine those objects can't be read from outside.
#include <windows.h>
#include <commctrl.h>
#include <fcntl.h>
#include <io.h>
#include <mmsystem.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "capture_bmp.h"
#include "probe_protocol.h"

namespace {

// ---- text ----------------------------------------------------------------------------------------

std::string Utf8(const std::wstring& w) {
    if (w.empty()) return std::string();
    int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), &out[0], n, nullptr, nullptr);
    return out;
}

std::wstring Wide(const std::string& s) {
    if (s.empty()) return std::wstring();
    int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), &out[0], n);
    return out;
}

std::string Escape(const std::wstring& text) {
    std::string out;
    for (unsigned char c : Utf8(text)) {
        if (c <= 0x20 || c == '%' || c == ',' || c == 0x7F) {
            char buf[4];
            std::snprintf(buf, sizeof buf, "%%%02X", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::wstring Unescape(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size() && HexDigit(s[i + 1]) >= 0 && HexDigit(s[i + 2]) >= 0) {
            out += static_cast<char>(HexDigit(s[i + 1]) * 16 + HexDigit(s[i + 2]));
            i += 2;
        } else {
            out += s[i];
        }
    }
    return Wide(out);
}

bool ParseLong(const std::string& s, long* value) {
    if (s.empty()) return false;
    char* end = nullptr;
    // Window handles and style masks come as 0x...; values above LONG_MAX (e.g. 0xFFFFFFFF) wrap.
    unsigned long long u = std::strtoull(s.c_str() + (s[0] == '-' ? 1 : 0), &end, 0);
    if (*end) return false;
    long v = static_cast<long>(static_cast<unsigned long>(u));
    *value = s[0] == '-' ? -v : v;
    return true;
}

std::string Format(const char* fmt, ...) {
    char buf[1024];
    va_list ap;
    va_start(ap, fmt);
    std::vsnprintf(buf, sizeof buf, fmt, ap);
    va_end(ap);
    return buf;
}

std::string Hwnd(HWND h) {
    return Format("0x%lx", static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(h)));
}

// ---- answers -------------------------------------------------------------------------------------

struct Answer {
    bool ok;
    std::string text;
};

Answer Ok(const std::string& text = std::string()) {
    return {true, text};
}
Answer Err(const std::string& text) {
    return {false, text};
}

// ---- windows of the desktop ----------------------------------------------------------------------

std::wstring ClassOf(HWND h) {
    wchar_t name[256] = L"";
    GetClassNameW(h, name, 256);
    return name;
}

std::wstring TitleOf(HWND h) {
    wchar_t text[1024] = L"";
    GetWindowTextW(h, text, 1024);
    return text;
}

DWORD ProcessOf(HWND h) {
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    return pid;
}

BOOL CALLBACK Collect(HWND h, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(h);
    return TRUE;
}

std::vector<HWND> TopLevelWindows() {
    std::vector<HWND> all;
    EnumWindows(Collect, reinterpret_cast<LPARAM>(&all));
    return all;
}

std::vector<HWND> ChildWindows(HWND parent) {
    std::vector<HWND> all;
    EnumChildWindows(parent, Collect, reinterpret_cast<LPARAM>(&all));
    return all;
}

// classes: one class name, or several separated by '|'.
HWND FindTopLevel(const std::wstring& classes, bool need_visible) {
    std::vector<std::wstring> wanted;
    size_t start = 0;
    for (;;) {
        size_t bar = classes.find(L'|', start);
        wanted.push_back(classes.substr(start, bar == std::wstring::npos ? std::wstring::npos : bar - start));
        if (bar == std::wstring::npos) break;
        start = bar + 1;
    }
    for (HWND h : TopLevelWindows()) {
        if (need_visible && !IsWindowVisible(h)) continue;
        std::wstring cls = ClassOf(h);
        for (const std::wstring& w : wanted)
            if (cls == w) return h;
    }
    return nullptr;
}

struct MetricName {
    const char* name;
    int index;
};

const MetricName kMetrics[] = {
    {"SM_CXSCREEN", SM_CXSCREEN},     {"SM_CYSCREEN", SM_CYSCREEN},
    {"SM_CYCAPTION", SM_CYCAPTION},   {"SM_CYMENU", SM_CYMENU},
    {"SM_CXFRAME", SM_CXFRAME},       {"SM_CYFRAME", SM_CYFRAME},
    {"SM_CXBORDER", SM_CXBORDER},     {"SM_CYBORDER", SM_CYBORDER},
    {"SM_CXEDGE", SM_CXEDGE},         {"SM_CYEDGE", SM_CYEDGE},
    {"SM_CXDLGFRAME", SM_CXDLGFRAME}, {"SM_CYDLGFRAME", SM_CYDLGFRAME},
    {"SM_CXPADDEDBORDER", 92},        {"SM_CYSMCAPTION", SM_CYSMCAPTION},
    {"SM_CXSIZE", SM_CXSIZE},         {"SM_CYSIZE", SM_CYSIZE},
    {"SM_CXMIN", SM_CXMIN},           {"SM_CYMIN", SM_CYMIN},
    {"SM_CXVSCROLL", SM_CXVSCROLL},   {"SM_CYHSCROLL", SM_CYHSCROLL},
};

// ---- the probe inside the observed program ---------------------------------------------------------

class Probe {
public:
    bool Open(std::string* error) {
        if (block_) return true;
        wchar_t name[96];
        probe::MappingName(name, 96, GetCurrentProcessId());
        mapping_ = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(probe::Block), name);
        if (!mapping_) return Fail(error, "cannot create the shared block");
        block_ = static_cast<probe::Block*>(MapViewOfFile(mapping_, FILE_MAP_ALL_ACCESS, 0, 0, 0));
        probe::DoneEventName(name, 96, GetCurrentProcessId());
        done_ = CreateEventW(nullptr, FALSE, FALSE, name);
        request_ = RegisterWindowMessageW(probe::kRequestMessageName);

        wchar_t path[MAX_PATH];
        DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
        std::wstring dll(path, n);
        dll = dll.substr(0, dll.find_last_of(L"\\/") + 1) + L"harmoprobe.dll";
        module_ = LoadLibraryW(dll.c_str());
        if (!module_) return Fail(error, "cannot load " + Utf8(dll));
        // Through void* because FARPROC and HOOKPROC differ in their parameter lists.
        hook_proc_ = reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(module_, probe::kHookExport)));
        if (!block_ || !done_ || !hook_proc_) return Fail(error, "probe set-up failed");
        return true;
    }

    // Runs one request in the window's thread; the hook is installed on that thread at first use.
    bool Ask(HWND hwnd, probe::Block& request, DWORD timeout_ms, std::string* error) {
        if (!Open(error)) return false;
        DWORD tid = GetWindowThreadProcessId(hwnd, nullptr);
        if (!tid) return Fail(error, "no such window");
        if (!Hook(tid, error)) return false;
        request.status = probe::kPending;
        std::memcpy(block_, &request, sizeof(request));
        ResetEvent(done_);
        if (!PostMessageW(hwnd, request_, GetCurrentProcessId(), 0)) return Fail(error, "cannot post the request");
        if (WaitForSingleObject(done_, timeout_ms) != WAIT_OBJECT_0)
            return Fail(error, "timeout: the program did not fetch the request (is its thread blocked?)");
        std::memcpy(&request, block_, sizeof(request));
        static const char* const kStatus[] = {"ok", "no menu", "no such control", "failed", "bad request"};
        if (request.status != probe::kOk)
            return Fail(error, request.status > 0 && request.status <= 4 ? kStatus[request.status] : "bad status");
        return true;
    }

    ~Probe() {
        for (auto& entry : hooks_) UnhookWindowsHookEx(entry.second.hook);
        if (block_) UnmapViewOfFile(block_);
        if (mapping_) CloseHandle(mapping_);
        if (done_) CloseHandle(done_);
    }

private:
    struct ThreadHook {
        ULONGLONG started;
        HHOOK hook;
    };

    // Thread ids are reused once a thread ends, so a hook is known by the id and the thread's start time.
    static ULONGLONG ThreadStart(DWORD tid) {
        HANDLE thread = OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, tid);
        if (!thread) return 0;
        FILETIME created, exited, kernel, user;
        ULONGLONG started = 0;
        if (GetThreadTimes(thread, &created, &exited, &kernel, &user))
            started = (static_cast<ULONGLONG>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
        CloseHandle(thread);
        return started;
    }

    bool Hook(DWORD tid, std::string* error) {
        ULONGLONG started = ThreadStart(tid);
        auto found = hooks_.find(tid);
        if (found != hooks_.end()) {
            if (found->second.started == started) return true;
            UnhookWindowsHookEx(found->second.hook);  // the thread it was set on has ended
            hooks_.erase(found);
        }
        HHOOK hook = SetWindowsHookExW(WH_GETMESSAGE, hook_proc_, module_, tid);
        if (!hook) return Fail(error, Format("SetWindowsHookEx failed (%lu)", GetLastError()));
        hooks_[tid] = ThreadHook{started, hook};
        return true;
    }

    static bool Fail(std::string* error, const std::string& text) {
        *error = text;
        return false;
    }

    HANDLE mapping_ = nullptr;
    HANDLE done_ = nullptr;
    probe::Block* block_ = nullptr;
    UINT request_ = 0;
    HMODULE module_ = nullptr;
    HOOKPROC hook_proc_ = nullptr;
    std::map<DWORD, ThreadHook> hooks_;
};

// Copies a rectangle of the (virtual) screen, i.e. what a user would see there, overlaps included.
bool CaptureScreen(const RECT& r, const std::wstring& path) {
    int width = r.right - r.left, height = r.bottom - r.top;
    if (width <= 0 || height <= 0) return false;
    HDC screen = GetDC(nullptr);
    const bool ok = CaptureToBmp(screen, width, height, path.c_str(), [&](HDC memory) {
        return BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY) != FALSE;
    });
    ReleaseDC(nullptr, screen);
    return ok;
}

// ---- the command interpreter ---------------------------------------------------------------------

class Driver {
public:
    Answer Run(const std::vector<std::string>& words) {
        if (words.empty()) return Err("empty command");
        const std::string& cmd = words[0];
        std::vector<std::string> a(words.begin() + 1, words.end());
        if (cmd == "hello") return Ok("harmodrv 1");
        if (cmd == "wait") return Wait(a);
        if (cmd == "find") return Find(a);
        if (cmd == "target") return Target(a);
        if (cmd == "gone") return Gone(a);
        if (cmd == "metric") return Metric(a);
        if (cmd == "sleep") return SleepFor(a);
        if (cmd == "sound") return Sound();
        if (cmd == "desktop") return Desktop();
        // Everything below acts on the target window.
        if (!target_) return Err("no target window (use wait or target first)");
        if (cmd == "send") return Send(a);
        if (cmd == "post") return Post(a);
        if (cmd == "state") return State();
        if (cmd == "rect") return Rect(false);
        if (cmd == "client") return Rect(true);
        if (cmd == "style") return Style();
        if (cmd == "title") return Ok(Escape(TitleOf(target_)));
        if (cmd == "class") return Ok(Escape(ClassOf(target_)));
        if (cmd == "childrect") return ChildRect(a);
        if (cmd == "children") return Children();
        if (cmd == "windows") return Windows(a, false);
        if (cmd == "count") return Windows(a, true);
        if (cmd == "process") return Process();
        if (cmd == "menu") return MenuState(a);
        if (cmd == "menubar") return MenuBar();
        if (cmd == "sysmenu") return SysMenu();
        if (cmd == "tbcount") return ToolbarCount(a);
        if (cmd == "tbbutton") return ToolbarButton(a);
        if (cmd == "tbimage") return ToolbarImage(a);
        if (cmd == "tooltip") return Tooltip(a);
        if (cmd == "capture") return Capture(a);
        if (cmd == "block") return Block(a);
        if (cmd == "click") return Click(a);
        if (cmd == "mouse") return Mouse(a);
        if (cmd == "resources") return Resources();
        if (cmd == "leakbrush") return LeakBrush();
        if (cmd == "leakmemory") return LeakMemory(a);
        return Err("unknown command " + cmd);
    }

private:
    static bool Num(const std::vector<std::string>& a, size_t i, long* v) { return i < a.size() && ParseLong(a[i], v); }
    static long NumOr(const std::vector<std::string>& a, size_t i, long fallback) {
        long v;
        return Num(a, i, &v) ? v : fallback;
    }

    Answer SetTarget(HWND h) {
        target_ = h;
        DWORD pid = 0;
        DWORD tid = GetWindowThreadProcessId(h, &pid);
        return Ok(Format("hwnd=%s pid=%lu tid=%lu", Hwnd(h).c_str(), pid, tid));
    }

    // wait CLASS[|CLASS...] [TIMEOUT_MS] [any]: a visible top-level window of one of the classes
    // ("any": hidden ones too); it becomes the target.
    Answer Wait(const std::vector<std::string>& a) {
        if (a.empty()) return Err("usage: wait CLASS [TIMEOUT_MS] [any]");
        std::wstring cls = Unescape(a[0]);
        DWORD timeout = static_cast<DWORD>(NumOr(a, 1, 10000));
        bool need_visible = !(a.size() > 2 && a[2] == "any");
        DWORD start = GetTickCount();
        for (;;) {
            if (HWND h = FindTopLevel(cls, need_visible)) return SetTarget(h);
            if (GetTickCount() - start >= timeout) return Err("timeout: no window of class " + Escape(cls));
            Sleep(20);
        }
    }

    Answer Find(const std::vector<std::string>& a) {
        if (a.empty()) return Err("usage: find CLASS");
        HWND h = FindTopLevel(Unescape(a[0]), false);
        return Ok("hwnd=" + Hwnd(h));
    }

    Answer Target(const std::vector<std::string>& a) {
        long v;
        if (!Num(a, 0, &v)) return Err("usage: target HWND");
        HWND h = reinterpret_cast<HWND>(static_cast<UINT_PTR>(static_cast<unsigned long>(v)));
        if (!IsWindow(h)) return Err("no such window");
        return SetTarget(h);
    }

    Answer Gone(const std::vector<std::string>& a) {
        if (!target_) return Err("no target window");
        DWORD timeout = static_cast<DWORD>(NumOr(a, 0, 10000));
        DWORD start = GetTickCount();
        while (IsWindow(target_)) {
            if (GetTickCount() - start >= timeout) return Err("timeout: the window still exists");
            Sleep(20);
        }
        return Ok();
    }

    Answer Metric(const std::vector<std::string>& a) {
        if (a.empty()) return Err("usage: metric NAME|INDEX");
        long index;
        if (!ParseLong(a[0], &index)) {
            index = -1;
            for (const MetricName& m : kMetrics)
                if (a[0] == m.name) index = m.index;
            if (index < 0) return Err("unknown metric " + a[0]);
        }
        return Ok(Format("%d", GetSystemMetrics(static_cast<int>(index))));
    }

    // desktop: every visible top-level window of the desktop (hwnd,class,pid,title), to see what else
    // is on screen, e.g. a message box that keeps a program from showing its window.
    Answer Desktop() {
        std::string list;
        int n = 0;
        for (HWND h : TopLevelWindows()) {
            if (!IsWindowVisible(h)) continue;
            ++n;
            list += " " + Hwnd(h) + "," + Escape(ClassOf(h)) + Format(",%lu,", ProcessOf(h)) + Escape(TitleOf(h));
        }
        return Ok(Format("%d", n) + list);
    }

    Answer SleepFor(const std::vector<std::string>& a) {
        Sleep(static_cast<DWORD>(NumOr(a, 0, 0)));
        return Ok();
    }

    // sound: what the sound system offers the programs of this prefix: device counts, and whether
    // CD-quality output and mono input open, so tests can tell a broken environment from a broken program.
    Answer Sound() {
        WAVEFORMATEX format = {};
        format.wFormatTag = WAVE_FORMAT_PCM;
        format.nChannels = 2;
        format.nSamplesPerSec = 44100;
        format.wBitsPerSample = 16;
        format.nBlockAlign = 4;
        format.nAvgBytesPerSec = 44100 * 4;
        HWAVEOUT out = nullptr;
        MMRESULT out_result = waveOutOpen(&out, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL);
        if (out_result == MMSYSERR_NOERROR) waveOutClose(out);
        format.nChannels = 1;
        format.nBlockAlign = 2;
        format.nAvgBytesPerSec = 44100 * 2;
        HWAVEIN in = nullptr;
        MMRESULT in_result = waveInOpen(&in, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL);
        if (in_result == MMSYSERR_NOERROR) waveInClose(in);
        return Ok(Format("outputs=%u inputs=%u output_open=%u input_open=%u", waveOutGetNumDevs(), waveInGetNumDevs(),
                         out_result, in_result));
    }

    // send MSG WPARAM LPARAM [TIMEOUT_MS]: the program's answer, or an error when it does not answer.
    Answer Send(const std::vector<std::string>& a) {
        long msg, wp, lp;
        if (!Num(a, 0, &msg) || !Num(a, 1, &wp) || !Num(a, 2, &lp)) return Err("usage: send MSG WPARAM LPARAM [MS]");
        DWORD_PTR result = 0;
        UINT timeout = static_cast<UINT>(NumOr(a, 3, 10000));
        if (!SendMessageTimeoutW(target_, static_cast<UINT>(msg), static_cast<WPARAM>(wp), static_cast<LPARAM>(lp),
                                 SMTO_NORMAL, timeout, &result))
            return Err(Format("send failed or timed out (%lu)", GetLastError()));
        return Ok(Format("result=%ld", static_cast<long>(result)));
    }

    Answer Post(const std::vector<std::string>& a) {
        long msg, wp, lp;
        if (!Num(a, 0, &msg) || !Num(a, 1, &wp) || !Num(a, 2, &lp)) return Err("usage: post MSG WPARAM LPARAM");
        if (!PostMessageW(target_, static_cast<UINT>(msg), static_cast<WPARAM>(wp), static_cast<LPARAM>(lp)))
            return Err(Format("post failed (%lu)", GetLastError()));
        return Ok();
    }

    Answer State() {
        return Ok(Format("exists=%d visible=%d iconic=%d zoomed=%d enabled=%d", IsWindow(target_) ? 1 : 0,
                         IsWindowVisible(target_) ? 1 : 0, IsIconic(target_) ? 1 : 0, IsZoomed(target_) ? 1 : 0,
                         IsWindowEnabled(target_) ? 1 : 0));
    }

    // rect: the outer window; client: the client area; both in screen coordinates, left top right bottom.
    Answer Rect(bool client) {
        RECT r;
        if (client) {
            if (!GetClientRect(target_, &r)) return Err("no such window");
            MapWindowPoints(target_, nullptr, reinterpret_cast<POINT*>(&r), 2);
        } else if (!GetWindowRect(target_, &r)) {
            return Err("no such window");
        }
        return Ok(Format("%ld %ld %ld %ld", r.left, r.top, r.right, r.bottom));
    }

    Answer Style() {
        return Ok(Format("style=0x%08lx exstyle=0x%08lx",
                         static_cast<unsigned long>(GetWindowLongW(target_, GWL_STYLE)),
                         static_cast<unsigned long>(GetWindowLongW(target_, GWL_EXSTYLE))));
    }

    // childrect ID: a child control's rectangle in the target's client coordinates.
    Answer ChildRect(const std::vector<std::string>& a) {
        long id;
        if (!Num(a, 0, &id)) return Err("usage: childrect ID");
        HWND child = GetDlgItem(target_, static_cast<int>(id));
        if (!child) return Err("no such control");
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, target_, reinterpret_cast<POINT*>(&r), 2);
        return Ok(Format("%ld %ld %ld %ld visible=%d class=%s", r.left, r.top, r.right, r.bottom,
                         IsWindowVisible(child) ? 1 : 0, Escape(ClassOf(child)).c_str()));
    }

    Answer Children() {
        std::string out;
        std::vector<HWND> list = ChildWindows(target_);
        out = Format("%u", static_cast<unsigned>(list.size()));
        for (HWND h : list)
            out += Format(" %s,%ld,", Hwnd(h).c_str(), static_cast<long>(GetDlgCtrlID(h))) + Escape(ClassOf(h)) +
                   Format(",%d,", IsWindowVisible(h) ? 1 : 0) + Escape(TitleOf(h));
        return Ok(out);
    }

    // windows: the top-level windows of the target's process (hwnd,class,visible,title);
    // count [class=C] [title=T]: how many of them match.
    Answer Windows(const std::vector<std::string>& a, bool count_only) {
        DWORD pid = ProcessOf(target_);
        if (!pid) return Err("no such window");
        std::wstring want_class, want_title;
        bool by_class = false, by_title = false;
        for (const std::string& w : a) {
            if (w.rfind("class=", 0) == 0) by_class = true, want_class = Unescape(w.substr(6));
            if (w.rfind("title=", 0) == 0) by_title = true, want_title = Unescape(w.substr(6));
        }
        std::string list;
        int n = 0;
        for (HWND h : TopLevelWindows()) {
            if (ProcessOf(h) != pid) continue;
            if (by_class && ClassOf(h) != want_class) continue;
            if (by_title && TitleOf(h) != want_title) continue;
            ++n;
            list += " " + Hwnd(h) + "," + Escape(ClassOf(h)) + Format(",%d,", IsWindowVisible(h) ? 1 : 0) +
                    Escape(TitleOf(h));
        }
        return Ok(Format("%d", n) + (count_only ? std::string() : list));
    }

    Answer Process() {
        DWORD pid = ProcessOf(target_);
        HANDLE h = OpenProcess(PROCESS_QUERY_INFORMATION | SYNCHRONIZE, FALSE, pid);
        if (!h) return Err("cannot open the process");
        DWORD code = 0;
        GetExitCodeProcess(h, &code);
        CloseHandle(h);
        return Ok(Format("pid=%lu alive=%d exit=%lu", pid, code == STILL_ACTIVE ? 1 : 0, code));
    }

    bool Ask(probe::Block& b, std::string* error) { return probe_.Ask(target_, b, 5000, error); }

    static probe::Block Request(probe::Op op, std::initializer_list<long> args) {
        probe::Block b = {};
        b.op = op;
        for (long v : args) b.arg[b.arg_count++] = v;
        return b;
    }

    static std::string StateFields(long state) {
        if (state == -1) return "exists=0 checked=0 grayed=0 disabled=0 state=-1";
        return Format("exists=1 checked=%d grayed=%d disabled=%d state=0x%lx", (state & MF_CHECKED) ? 1 : 0,
                      (state & MF_GRAYED) ? 1 : 0, (state & MF_DISABLED) ? 1 : 0, static_cast<unsigned long>(state));
    }

    // menu ID: the main menu item's state bits and its text.
    Answer MenuState(const std::vector<std::string>& a) {
        long id;
        if (!Num(a, 0, &id)) return Err("usage: menu ID");
        probe::Block b = Request(probe::kMenuState, {id});
        std::string error;
        if (!Ask(b, &error)) return Err(error);
        return Ok(StateFields(b.values[0]) + " text=" + Escape(b.text_out));
    }

    // resources: GDI objects of the target's process, windows of its thread and heap use, counted inside it.
    Answer Resources() {
        probe::Block b = Request(probe::kResources, {});
        std::string error;
        if (!Ask(b, &error)) return Err(error);
        return Ok(Format("gdi=%ld windows=%ld heap_kib=%ld heap_blocks=%ld", b.values[0], b.values[1], b.values[2],
                         b.values[3]));
    }

    // leakmemory BYTES: the target's process takes that much with malloc and keeps it for good.
    Answer LeakMemory(const std::vector<std::string>& a) {
        long bytes;
        if (!Num(a, 0, &bytes) || bytes <= 0) return Err("usage: leakmemory BYTES");
        probe::Block b = Request(probe::kLeakMemory, {bytes});
        std::string error;
        if (!Ask(b, &error)) return Err(error);
        return b.status == probe::kOk ? Ok() : Err("no memory");
    }

    // leakbrush: the target's process makes one brush and keeps it for good.
    Answer LeakBrush() {
        probe::Block b = Request(probe::kLeakBrush, {});
        std::string error;
        if (!Ask(b, &error)) return Err(error);
        return b.status == probe::kOk ? Ok() : Err("no brush");
    }

    Answer MenuBar() {
        probe::Block b = Request(probe::kMenuBar, {});
        std::string error;
        if (!Ask(b, &error)) return Err(error);
        std::string out = Format("%ld", b.values[0]);
        std::wstring all = b.text_out;
        size_t start = 0;
        for (long i = 0; i < b.values[0]; ++i) {
            size_t end = all.find(L'\n', start);
            out += " " + Escape(all.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start));
            start = end == std::wstring::npos ? all.size() : end + 1;
        }
        return Ok(out);
    }

    // sysmenu: which system-menu entries exist (0/1) and their state bits.
    Answer SysMenu() {
        static const struct {
            const char* name;
            long id;
        } kEntries[] = {{"restore", SC_RESTORE},   {"move", SC_MOVE},         {"size", SC_SIZE},
                        {"minimize", SC_MINIMIZE}, {"maximize", SC_MAXIMIZE}, {"close", SC_CLOSE}};
        probe::Block b = Request(probe::kSysMenu, {});
        for (const auto& e : kEntries) b.arg[b.arg_count++] = e.id;
        std::string error;
        if (!Ask(b, &error)) return Err(error);
        std::string out;
        for (int i = 0; i < b.arg_count; ++i)
            out += Format("%s%s=%d", i ? " " : "", kEntries[i].name, b.values[i] != -1 ? 1 : 0);
        return Ok(out);
    }

    static long ToolbarId(const std::vector<std::string>& a, size_t i) { return NumOr(a, i, 40034); }

    // tbcount [TOOLBAR_ID]
    Answer ToolbarCount(const std::vector<std::string>& a) {
        probe::Block b = Request(probe::kToolbarCount, {ToolbarId(a, 0)});
        std::string error;
        if (!Ask(b, &error)) return Err(error);
        return Ok(Format("%ld", b.values[0]));
    }

    // tbbutton INDEX [TOOLBAR_ID]: the button at a position.
    Answer ToolbarButton(const std::vector<std::string>& a) {
        long index;
        if (!Num(a, 0, &index)) return Err("usage: tbbutton INDEX [TOOLBAR_ID]");
        probe::Block b = Request(probe::kToolbarButton, {ToolbarId(a, 1), index});
        std::string error;
        if (!Ask(b, &error)) return Err(error);
        return Ok(Format("command=%ld image=%ld state=0x%lx style=0x%lx", b.values[0], b.values[1],
                         static_cast<unsigned long>(b.values[2]), static_cast<unsigned long>(b.values[3])));
    }

    // tbimage COMMAND [TOOLBAR_ID]: the image a button shows now, found by its command.
    Answer ToolbarImage(const std::vector<std::string>& a) {
        long cmd;
        if (!Num(a, 0, &cmd)) return Err("usage: tbimage COMMAND [TOOLBAR_ID]");
        probe::Block b = Request(probe::kToolbarByCommand, {ToolbarId(a, 1), cmd});
        std::string error;
        if (!Ask(b, &error)) return Err(error);
        return Ok(Format("image=%ld index=%ld state=0x%lx style=0x%lx", b.values[1], b.values[0],
                         static_cast<unsigned long>(b.values[2]), static_cast<unsigned long>(b.values[3])));
    }

    // tooltip COMMAND [control|notify] [TOOLBAR_ID]
    Answer Tooltip(const std::vector<std::string>& a) {
        long cmd;
        if (!Num(a, 0, &cmd)) return Err("usage: tooltip COMMAND [control|notify] [TOOLBAR_ID]");
        long route = a.size() > 1 && a[1] == "notify" ? probe::kTooltipFromNotify : probe::kTooltipFromControl;
        probe::Block b = Request(probe::kTooltip, {ToolbarId(a, 2), cmd, route});
        std::string error;
        if (!Ask(b, &error)) return Err(error);
        return Ok(Escape(b.text_out));
    }

    // capture PATH [window|print|screen]: the whole window, frame, caption and menu bar included,
    // as a 24-bit BMP. PATH is a Windows path (Z:\... for a Unix one). "window" blits the window DC
    // inside the program (exact, even when covered); "screen" copies the screen area (what a user sees
    // there); "print" asks the window to print itself, which under Wine paints neither frame nor menu.
    Answer Capture(const std::vector<std::string>& a) {
        if (a.empty()) return Err("usage: capture PATH [window|print|screen]");
        std::wstring path = Unescape(a[0]);
        std::string method = a.size() > 1 ? a[1] : "window";
        if (method == "screen") {
            RECT r;
            GetWindowRect(target_, &r);
            if (!CaptureScreen(r, path)) return Err("capture failed");
            return Ok(Format("%ld %ld", r.right - r.left, r.bottom - r.top));
        }
        if (method != "window" && method != "print") return Err("unknown capture method " + method);
        probe::Block b =
            Request(probe::kCapture, {method == "print" ? probe::kCapturePrintWindow : probe::kCaptureWindowDc});
        std::wcsncpy(b.text_in, path.c_str(), MAX_PATH * 2 - 1);
        std::string error;
        if (!Ask(b, &error)) return Err(error);
        return Ok(Format("%ld %ld", b.values[0], b.values[1]));
    }

    // block MS: the target's GUI thread does nothing else for MS milliseconds.
    Answer Block(const std::vector<std::string>& a) {
        long ms;
        if (!Num(a, 0, &ms) || ms < 0) return Err("usage: block MS");
        probe::Block b = Request(probe::kBlock, {ms});
        std::string error;
        if (!Ask(b, &error)) return Err(error);
        return Ok();
    }

    // click X Y: a left click at client coordinates, posted as the button-down and button-up messages.
    Answer Click(const std::vector<std::string>& a) {
        long x, y;
        if (!Num(a, 0, &x) || !Num(a, 1, &y)) return Err("usage: click X Y");
        LPARAM at = MAKELPARAM(x, y);
        PostMessageW(target_, WM_MOUSEMOVE, 0, at);
        PostMessageW(target_, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageW(target_, WM_LBUTTONUP, 0, at);
        return Ok();
    }

    // mouse down|up|move X Y: one pointer message at client coordinates (down holds the left button).
    Answer Mouse(const std::vector<std::string>& a) {
        long x, y;
        if (a.size() < 3 || !Num(a, 1, &x) || !Num(a, 2, &y)) return Err("usage: mouse down|up|move X Y");
        LPARAM at = MAKELPARAM(x, y);
        if (a[0] == "down") {
            held_ = true;
            PostMessageW(target_, WM_LBUTTONDOWN, MK_LBUTTON, at);
        } else if (a[0] == "up") {
            held_ = false;
            PostMessageW(target_, WM_LBUTTONUP, 0, at);
        } else if (a[0] == "move") {
            PostMessageW(target_, WM_MOUSEMOVE, held_ ? MK_LBUTTON : 0, at);
        } else {
            return Err("usage: mouse down|up|move X Y");
        }
        return Ok();
    }

    HWND target_ = nullptr;
    bool held_ = false;
    Probe probe_;
};

std::vector<std::string> Split(const std::string& line) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r' || line[i] == '\n')) ++i;
        size_t start = i;
        while (i < line.size() && !(line[i] == ' ' || line[i] == '\t' || line[i] == '\r' || line[i] == '\n')) ++i;
        if (i > start) words.push_back(line.substr(start, i - start));
    }
    return words;
}

void Print(const Answer& answer) {
    std::string line = (answer.ok ? "ok" : "err") + (answer.text.empty() ? std::string() : " " + answer.text) + "\n";
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fflush(stdout);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stdin), _O_BINARY);
    Driver driver;
    if (argc > 1) {
        bool all_ok = true;
        std::vector<std::string> words;
        for (int i = 1; i <= argc; ++i) {
            if (i == argc || std::wcscmp(argv[i], L";") == 0) {
                if (!words.empty()) {
                    Answer answer = driver.Run(words);
                    all_ok = all_ok && answer.ok;
                    Print(answer);
                }
                words.clear();
            } else {
                words.push_back(Utf8(argv[i]));
            }
        }
        return all_ok ? 0 : 1;
    }
    char buf[8192];
    while (std::fgets(buf, sizeof buf, stdin)) {
        std::vector<std::string> words = Split(buf);
        if (words.empty()) continue;
        if (words[0] == "quit" || words[0] == "exit") {
            Print(Ok());
            break;
        }
        Print(driver.Run(words));
    }
    return 0;
}
