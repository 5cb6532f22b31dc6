// An in-memory settings file that remembers the order in which keys were written.
#ifndef HARMOLAB_TESTS_APP_FAKE_PROFILE_STORE_H
#define HARMOLAB_TESTS_APP_FAKE_PROFILE_STORE_H

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "app/profile_store.h"

class FakeProfileStore : public ProfileStore {
public:
    void Set(const std::string& section, const std::string& key, const std::string& value) {
        values_[{section, key}] = value;
    }
    std::string ReadText(const std::string& section, const std::string& key) override {
        auto it = values_.find({section, key});
        return it == values_.end() ? std::string() : it->second.substr(0, 255);
    }
    void WriteText(const std::string& section, const std::string& key, const std::string& value) override {
        values_[{section, key}] = value;
        written_.push_back(section + "/" + key);
    }
    const std::vector<std::string>& written() const { return written_; }
    const std::map<std::pair<std::string, std::string>, std::string>& values() const { return values_; }

private:
    std::map<std::pair<std::string, std::string>, std::string> values_;
    std::vector<std::string> written_;
};

#endif
