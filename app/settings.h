// Reading "Harmolab.ini" into the application state with range checks, and writing it back.
#ifndef HARMOLAB_APP_SETTINGS_H
#define HARMOLAB_APP_SETTINGS_H

#include <string>

#include "app/app_state.h"
#include "app/profile_store.h"

constexpr const char* kSettingsFileName = "Harmolab.ini";

// Default pitch classes (C = 0) of each string and piano keys (A0 = 1) of each open string.
extern const std::array<int, 6> kDefaultGuitarKeys;
extern const std::array<int, 4> kDefaultBassKeys;
extern const std::array<int, 4> kDefaultUkuleleKeys;
extern const std::array<int, 3> kDefaultShamisenKeys;
extern const std::array<std::array<int, kMaxStrings>, kInstrumentCount> kDefaultOpenStringKeys;

// program_dir followed by "/Harmolab.ini". Never shortened: a path too long for the system
// fails to open rather than naming some other file.
std::string SettingsPathFor(const std::string& program_dir);

// Fills the persisted fields, program_dir and settings_path. launch_mode must already be set;
// a single-tool mode takes its tool from launch_mode and keeps tempo and beat as they are.
void ReadSettings(AppState& state, ProfileStore& store, const std::string& current_dir);

// Writes every key in its fixed order, only in all-tools mode. Clamps the tempo first.
void WriteSettings(AppState& state, ProfileStore& store);

#endif
