// Temporary output files beside their final path, renamed into place when complete.
#include "wavetools/pending_file.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "app/utf8_file.h"

namespace fs = std::filesystem;

namespace {

constexpr int kMaxTemporaryNames = 100;

bool ToPath(const std::string& utf8, fs::path& path) {
    try {
        path = fs::u8path(utf8);
        return true;
    } catch (...) {
        return false;  // not valid UTF-8
    }
}

bool Exists(const std::string& path) {
    std::FILE* file = OpenFileUtf8(path, "rb");
    if (file) std::fclose(file);
    return file != nullptr;
}

std::string FoldedFullPath(const fs::path& path) {
    std::error_code ignored;
    std::string text = fs::absolute(path, ignored).lexically_normal().u8string();
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

}  // namespace

bool PendingFile::Create(const std::string& finalPath) {
    Discard();
    for (int n = 0; n < kMaxTemporaryNames; ++n) {
        const std::string name = finalPath + (n ? "." + std::to_string(n) : std::string()) + ".tmp";
        if (Exists(name)) continue;  // someone else's file: leave it alone
        file_ = OpenFileUtf8(name, "wb");
        if (!file_) return false;
        temporary_ = name;
        final_ = finalPath;
        return true;
    }
    return false;
}

bool PendingFile::Commit() {
    if (!file_) return false;
    const bool closed = std::fclose(file_) == 0;  // a full disk may only show when the rest is flushed
    file_ = nullptr;
    fs::path from, to;
    std::error_code error;
    if (closed && ToPath(temporary_, from) && ToPath(final_, to)) fs::rename(from, to, error);
    if (!closed || error || from.empty()) {
        Discard();
        return false;
    }
    temporary_.clear();
    return true;
}

void PendingFile::Discard() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
    fs::path path;
    std::error_code ignored;
    if (!temporary_.empty() && ToPath(temporary_, path)) fs::remove(path, ignored);
    temporary_.clear();
}

bool IsSameFile(const std::string& a, const std::string& b) {
    fs::path pa, pb;
    if (a.empty() || b.empty() || !ToPath(a, pa) || !ToPath(b, pb)) return false;
    if (FoldedFullPath(pa) == FoldedFullPath(pb)) return true;
    std::error_code error;
    const bool same = fs::equivalent(pa, pb, error);
    return same && !error;
}
