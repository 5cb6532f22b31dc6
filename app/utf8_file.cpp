// UTF-8 paths to the C library's file functions.
#include "app/utf8_file.h"

#include <filesystem>

std::FILE* OpenFileUtf8(const std::string& path, const char* mode) {
#ifdef _WIN32
    // The narrow fopen reads the path in the system code page; go through the wide form instead.
    std::wstring wide_mode(mode, mode + std::char_traits<char>::length(mode));
    try {
        return _wfopen(std::filesystem::u8path(path).c_str(), wide_mode.c_str());
    } catch (...) {
        return nullptr;  // not valid UTF-8
    }
#else
    return std::fopen(path.c_str(), mode);
#endif
}
