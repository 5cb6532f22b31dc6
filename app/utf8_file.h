// Opening files by UTF-8 path, so that folders with Japanese names work on Windows too.
#ifndef HARMOLAB_APP_UTF8_FILE_H
#define HARMOLAB_APP_UTF8_FILE_H

#include <cstdio>
#include <string>

// fopen with a UTF-8 path; null when the file can't be opened or the path isn't UTF-8.
std::FILE* OpenFileUtf8(const std::string& path, const char* mode);

#endif
