// An output file written under a temporary name beside its final path and moved into place only
// when complete, so that a stopped, failed or crashed run never leaves half a file under the final
// name nor touches a file already there; and the test of whether two paths name the same file.
#ifndef HARMOLAB_WAVETOOLS_PENDING_FILE_H
#define HARMOLAB_WAVETOOLS_PENDING_FILE_H

#include <cstdio>
#include <string>

class PendingFile {
public:
    PendingFile() = default;
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;
    ~PendingFile() { Discard(); }

    // Creates the temporary file beside `finalPath` (UTF-8); false when none can be created.
    bool Create(const std::string& finalPath);
    std::FILE* file() const { return file_; }
    const std::string& temporary_path() const { return temporary_; }
    // Closes the file and moves it over the final path; on failure the temporary file is removed
    // and false returned.
    bool Commit();
    // Closes and removes the temporary file, if any.
    void Discard();

private:
    std::FILE* file_ = nullptr;
    std::string temporary_;
    std::string final_;
};

// Whether two UTF-8 paths name one file: equal as absolute, normalised paths compared without
// regard to letter case, or the same file on disk under different names (links, short names).
bool IsSameFile(const std::string& a, const std::string& b);

#endif
