// Profile-string access to "Harmolab.ini".
#include "app/profile_store_win.h"

#include <windows.h>

#include <vector>

#include "app/text_win.h"

namespace {
// Text values pass through a buffer of this many characters, terminator included.
constexpr DWORD kValueBufferChars = 256;
}  // namespace

FileProfileStore::FileProfileStore(const std::string& path_utf8) : path_(Widen(path_utf8)) {}

std::string FileProfileStore::ReadText(const std::string& section, const std::string& key) {
    wchar_t buffer[kValueBufferChars] = {};
    GetPrivateProfileStringW(Widen(section).c_str(), Widen(key).c_str(), L"", buffer, kValueBufferChars, path_.c_str());
    return Narrow(buffer);
}

namespace {

// The profile functions write a file they create in the ANSI code page, where a path with
// characters outside it turns into "?". A file that starts with the UTF-16LE byte-order mark is
// kept in UTF-16, so a new settings file is created as such; an existing file is left as it is.
void CreateUnicodeFileIfMissing(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    const unsigned char bom[2] = {0xFF, 0xFE};
    DWORD written = 0;
    WriteFile(file, bom, sizeof(bom), &written, nullptr);
    CloseHandle(file);
}

}  // namespace

void FileProfileStore::WriteText(const std::string& section, const std::string& key, const std::string& value) {
    if (!file_checked_) {
        file_checked_ = true;
        CreateUnicodeFileIfMissing(path_);
    }
    WritePrivateProfileStringW(Widen(section).c_str(), Widen(key).c_str(), Widen(value).c_str(), path_.c_str());
}

std::string CurrentDirectoryUtf8() {
    DWORD needed = GetCurrentDirectoryW(0, nullptr);
    if (needed == 0) return ".";
    std::vector<wchar_t> buffer(needed + 1, L'\0');
    DWORD got = GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
    if (got == 0 || got >= buffer.size()) return ".";
    std::wstring dir(buffer.data(), got);
    // The root of a drive comes with its separator; the settings path adds its own.
    while (dir.size() > 1 && (dir.back() == L'\\' || dir.back() == L'/')) dir.pop_back();
    return Narrow(dir);
}
