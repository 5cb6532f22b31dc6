// Settings file rules: defaults, range checks, and the fixed key order of the writer.
#include "app/settings.h"

#include <algorithm>
#include <cstdlib>
#include <optional>

#include "app/text_number.h"
#include "audio/key_frequency.h"

const std::array<int, 6> kDefaultGuitarKeys = {4, 9, 2, 7, 11, 4};
const std::array<int, 4> kDefaultBassKeys = {7, 2, 9, 4};
const std::array<int, 4> kDefaultUkuleleKeys = {7, 0, 4, 9};
// C, G, C: the letters of the shamisen's open strings, so the dialog's defaults match its targets.
const std::array<int, 3> kDefaultShamisenKeys = {0, 7, 0};
const std::array<std::array<int, kMaxStrings>, kInstrumentCount> kDefaultOpenStringKeys = {{
    {20, 25, 30, 35, 39, 44},
    {8, 13, 18, 23, 0, 0},
    {47, 40, 44, 49, 0, 0},
    {40, 47, 52, 0, 0, 0},
}};

namespace {

// The open-string table survives reading only while every value is this close to its default.
constexpr int kOpenStringTolerance = 4;
// Open strings are piano keys; anything outside 0..88 can't be tuned to and resets the table too.
constexpr int kHighestKey = 88;

int ReadInt(ProfileStore& store, const char* section, const char* key) {
    return ParseLeadingInt(store.ReadText(section, key));
}

// A value in lo..hi, or the replacement when outside. A missing (or empty) key gives the key's
// default, so that a default inside the range (the sine type's 1) is not read as 0.
int ReadChecked(ProfileStore& store, const char* section, const char* key, int lo, int hi, int otherwise,
                std::optional<int> when_missing = std::nullopt) {
    std::string text = store.ReadText(section, key);
    if (text.empty()) return when_missing.value_or(otherwise);
    int value = ParseLeadingInt(text);
    return (value < lo || value > hi) ? otherwise : value;
}

int ReadOnOff(ProfileStore& store, const char* section, const char* key) {
    return store.ReadText(section, key).compare(0, 2, "ON") == 0 ? 1 : 0;
}

template <size_t N>
void ReadStringKeys(ProfileStore& store, const char* section, std::array<int, N>& keys,
                    const std::array<int, N>& defaults) {
    bool all_zero = true;
    for (size_t i = 0; i < N; ++i) {
        std::string key = "ST" + std::to_string(i + 1);
        keys[i] = ReadChecked(store, section, key.c_str(), 0, 11, defaults[i]);
        all_zero = all_zero && keys[i] == 0;
    }
    if (all_zero) keys = defaults;
}

std::string OpenStringSection(int row) {
    return "STRING" + std::to_string(row);
}
std::string OpenStringKey(int column) {
    return "NOTE" + std::to_string(column);
}

void ReadOpenStringKeys(ProfileStore& store, AppState& state) {
    bool far_off = false;
    for (int row = 0; row < kInstrumentCount; ++row) {
        for (int col = 0; col < kMaxStrings; ++col) {
            int value = ReadInt(store, OpenStringSection(row).c_str(), OpenStringKey(col).c_str());
            state.open_string_keys[row][col] = value;
            bool not_a_key = value < 0 || value > kHighestKey;
            far_off = far_off || not_a_key ||
                      std::abs(static_cast<long long>(value) - kDefaultOpenStringKeys[row][col]) > kOpenStringTolerance;
        }
    }
    if (far_off) state.open_string_keys = kDefaultOpenStringKeys;
}

// Tool code from TUNER / KIND: 3 passes the file's check but names no tool, so it starts the
// spectrum analyser like any other unknown value.
int ToolFromStoredKind(int kind) {
    return (kind >= kToolSpectrum && kind <= kToolMetronome) ? kind : kToolSpectrum;
}

// Fields that the file stores without a range of its own are brought into the range their users
// index with, so no stored value can reach an array unchecked.
void BringUncheckedFieldsIntoRange(AppState& state) {
    state.plot_mode &= 3;
    if (state.fors_status != 1) state.fors_status = 0;
    if (state.inst_status != 1) state.inst_status = 0;
    if (state.instrument < 0 || state.instrument >= kInstrumentCount) state.instrument = 0;
    if (state.string_index < 0 || state.string_index >= StringCount(state.instrument)) state.string_index = 0;
    if (state.metronome_kind < 0 || state.metronome_kind >= kMetronomeKindCount) state.metronome_kind = 0;
    if (state.conductor_line != 1) state.conductor_line = 0;
    for (int i = 0; i < kDownbeatBars; ++i) {
        int beats = i + 2;
        if (state.downbeat[i] < 0 || state.downbeat[i] > beats) state.downbeat[i] = 0;
    }
}

void ReadToolSettings(AppState& state, ProfileStore& store) {
    if (state.launch_mode == kLaunchAllTools) {
        ReadInt(store, "SCREEN", "SIZE");  // stored for reference only: every start is at half size
        state.screen_size = 1;
        state.current_tool = ToolFromStoredKind(ReadChecked(store, "TUNER", "KIND", 0, 3, 0));
        state.metronome_tempo = std::clamp(ReadInt(store, "METRONOME", "SPEED"), kMinTempo, kMaxTempo);
        state.beat_no = ReadChecked(store, "BEAT", "NO", 0, 6, 0);
        state.palette_no = ReadChecked(store, "PALLET", "NO", 0, 2, 0);
    } else {
        state.current_tool = state.launch_mode;
        state.screen_size = state.launch_mode == kToolSpectrum ? 2 : 1;
        state.palette_no = 0;
    }
}

std::string OnOff(int flag) {
    return flag ? "ON" : "OFF";
}

}  // namespace

std::string SettingsPathFor(const std::string& program_dir) {
    return program_dir + "/" + kSettingsFileName;
}

void ReadSettings(AppState& state, ProfileStore& store, const std::string& current_dir) {
    state.program_dir = current_dir;
    state.settings_path = SettingsPathFor(current_dir);

    state.tuner_volume = ReadChecked(store, "TUNER", "VOLUME", 0, 100, 0);
    ReadToolSettings(state, store);
    state.osilo_status = ReadOnOff(store, "OSILO", "STATUS");
    state.note_status = ReadOnOff(store, "NOTE", "STATUS");
    state.lowfrq_status = ReadOnOff(store, "LOWFRQ", "STATUS");
    state.target_note = ReadChecked(store, "TARGET", "NOTE", 0, 88, 0);
    state.plot_mode = ReadInt(store, "PLOT", "MODE");
    ReadInt(store, "LOWFRQ", "ZOOM");  // the zoom always starts at 1
    state.zoom_level = 1;
    state.fors_status = ReadInt(store, "FORS", "STATUS");
    state.inst_status = ReadInt(store, "INST", "STATUS");
    state.instrument = ReadInt(store, "INST", "KIND");
    state.string_index = ReadInt(store, "INST", "STRING");
    ReadStringKeys(store, "GUITAR", state.guitar_keys, kDefaultGuitarKeys);
    ReadStringKeys(store, "BASS", state.bass_keys, kDefaultBassKeys);
    ReadStringKeys(store, "UKULELE", state.ukulele_keys, kDefaultUkuleleKeys);
    ReadStringKeys(store, "SHAMI", state.shamisen_keys, kDefaultShamisenKeys);
    ReadOpenStringKeys(store, state);
    state.metro_sound_file[0] = store.ReadText("METRO", "SOUND1");
    state.metro_sound_file[1] = store.ReadText("METRO", "SOUND2");
    state.metro_move_type = ReadChecked(store, "METRO", "TYPE", 0, 2, 0);
    state.sine_hz = ReadChecked(store, "SINE", "HZ", 10, 20000, 440);
    state.sine_type = ReadChecked(store, "SINE", "TYPE", 0, 2, 1);
    state.sine_file = store.ReadText("SINE", "FILE");
    state.sampling_hz = ReadChecked(store, "SAMPLING", "HZ", 8000, 44100, 44100);
    state.half_sampling_hz = state.sampling_hz / 2;
    state.sampling_time_ms = ReadChecked(store, "SAMPLING", "TIME", 0, 600000, 1000, 0);
    state.sampling_stereo = ReadChecked(store, "SAMPLING", "STEREO", 0, 1, 0);
    state.karaoke_input1 = store.ReadText("KARAOKE", "INPUT1");
    state.karaoke_input2 = store.ReadText("KARAOKE", "INPUT2");
    state.karaoke_output = store.ReadText("KARAOKE", "OUTPUT");
    state.karaoke_make_kind = ReadChecked(store, "KARAOKE", "MAKEKIND", 0, 1, 0);
    state.sine_volume = ReadInt(store, "SINE", "VOL");
    state.metronome_kind = ReadInt(store, "METRONOME", "KIND");
    state.conductor_line = ReadInt(store, "CONDUCTOR", "LINE");
    for (int beats = 2; beats <= 6; ++beats) {
        state.downbeat[beats - 2] = ReadInt(store, "DOWNBEAT", std::to_string(beats).c_str());
    }
    state.reference_a4_hz = CheckedReferencePitch(ReadInt(store, "TUNER", "A4"));
    BringUncheckedFieldsIntoRange(state);
}

void WriteSettings(AppState& state, ProfileStore& store) {
    if (state.launch_mode != kLaunchAllTools) return;
    auto put = [&store](const char* section, const std::string& key, const std::string& value) {
        store.WriteText(section, key, value);
    };
    auto put_int = [&put](const char* section, const std::string& key, int value) {
        put(section, key, std::to_string(value));
    };
    auto put_keys = [&put_int](const char* section, const auto& keys) {
        for (size_t i = 0; i < keys.size(); ++i) put_int(section, "ST" + std::to_string(i + 1), keys[i]);
    };

    put_int("SCREEN", "SIZE", state.screen_size);
    put_int("TUNER", "VOLUME", state.tuner_volume);
    put_int("TUNER", "KIND", state.current_tool);
    put("OSILO", "STATUS", OnOff(state.osilo_status));
    put("NOTE", "STATUS", OnOff(state.note_status));
    put("LOWFRQ", "STATUS", OnOff(state.lowfrq_status));
    state.metronome_tempo = std::clamp(state.metronome_tempo.load(), kMinTempo, kMaxTempo);
    put_int("METRONOME", "SPEED", state.metronome_tempo);
    put_int("TARGET", "NOTE", state.target_note);
    put_int("PLOT", "MODE", state.plot_mode);
    put_int("LOWFRQ", "ZOOM", state.zoom_level);
    put_int("FORS", "STATUS", state.fors_status);
    put_int("INST", "STATUS", state.inst_status);
    put_int("INST", "KIND", state.instrument);
    put_int("INST", "STRING", state.string_index);
    put_keys("GUITAR", state.guitar_keys);
    put_keys("BASS", state.bass_keys);
    put_keys("UKULELE", state.ukulele_keys);
    put_keys("SHAMI", state.shamisen_keys);
    for (int row = 0; row < kInstrumentCount; ++row) {
        for (int col = 0; col < kMaxStrings; ++col) {
            put_int(OpenStringSection(row).c_str(), OpenStringKey(col), state.open_string_keys[row][col]);
        }
    }
    put_int("BEAT", "NO", state.beat_no);
    put("METRO", "SOUND1", state.metro_sound_file[0]);
    put("METRO", "SOUND2", state.metro_sound_file[1]);
    put_int("PALLET", "NO", state.palette_no);
    put_int("METRO", "TYPE", state.metro_move_type);
    put_int("SINE", "HZ", state.sine_hz);
    put_int("SINE", "TYPE", state.sine_type);
    put("SINE", "FILE", state.sine_file);
    put_int("SAMPLING", "HZ", state.sampling_hz);
    put_int("SAMPLING", "TIME", state.sampling_time_ms);
    put_int("SAMPLING", "STEREO", state.sampling_stereo);
    put("KARAOKE", "INPUT1", state.karaoke_input1);
    put("KARAOKE", "INPUT2", state.karaoke_input2);
    put("KARAOKE", "OUTPUT", state.karaoke_output);
    put_int("KARAOKE", "MAKEKIND", state.karaoke_make_kind);
    put_int("SINE", "VOL", state.sine_volume);
    put_int("METRONOME", "KIND", state.metronome_kind);
    put_int("CONDUCTOR", "LINE", state.conductor_line);
    for (int beats = 2; beats <= 6; ++beats) put_int("DOWNBEAT", std::to_string(beats), state.downbeat[beats - 2]);
    put_int("TUNER", "A4", state.reference_a4_hz);
}
