// Shared by the fuzz targets: the input as a file the readers can open, and a hard check.
#ifndef HARMOLAB_TESTS_FUZZ_FUZZ_INPUT_H
#define HARMOLAB_TESTS_FUZZ_FUZZ_INPUT_H

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

// The readers take a path, so every input goes through a file of this process's own.
inline const std::string& InputPath() {
    static const std::string path = [] {
        const char* dir = std::getenv("TMPDIR");
        return std::string(dir && *dir ? dir : "/tmp") + "/harmolab_fuzz_" + std::to_string(getpid()) + ".wav";
    }();
    return path;
}

inline const std::string& WriteInput(const std::uint8_t* data, std::size_t size) {
    std::FILE* file = std::fopen(InputPath().c_str(), "wb");
    if (!file || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0) std::abort();
    return InputPath();
}

// A broken promise of the readers is a finding, like a crash.
#define FUZZ_CHECK(condition)                                                                  \
    do {                                                                                       \
        if (!(condition)) {                                                                    \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                      \
        }                                                                                      \
    } while (0)

#endif
