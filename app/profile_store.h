// The settings file as the portable code sees it: text values by section and key.
#ifndef HARMOLAB_APP_PROFILE_STORE_H
#define HARMOLAB_APP_PROFILE_STORE_H

#include <string>

class ProfileStore {
public:
    virtual ~ProfileStore() = default;
    // The stored text, "" when the file, section or key is missing; at most 255 characters.
    virtual std::string ReadText(const std::string& section, const std::string& key) = 0;
    // Adds or replaces one key; a failure is not reported.
    virtual void WriteText(const std::string& section, const std::string& key, const std::string& value) = 0;
};

#endif
