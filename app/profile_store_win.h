// The settings file through the system's profile-string functions.
#ifndef HARMOLAB_APP_PROFILE_STORE_WIN_H
#define HARMOLAB_APP_PROFILE_STORE_WIN_H

#include <string>

#include "app/profile_store.h"

class FileProfileStore : public ProfileStore {
public:
    explicit FileProfileStore(const std::string& path_utf8);
    std::string ReadText(const std::string& section, const std::string& key) override;
    void WriteText(const std::string& section, const std::string& key, const std::string& value) override;

private:
    std::wstring path_;
    bool file_checked_ = false;  // a missing file is created (as UTF-16) before the first write
};

// The current directory as the system reports it, however long.
std::string CurrentDirectoryUtf8();

#endif
