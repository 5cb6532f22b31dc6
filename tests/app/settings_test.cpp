// Settings file rules: defaults, range checks, table resets and the writer's key order.
#include "app/settings.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <tuple>

#include "tests/app/fake_profile_store.h"

namespace {

struct Entry {
    std::string section;
    std::string key;
    std::string value;
};

AppState ReadWith(const std::vector<Entry>& entries, int launch_mode = kLaunchAllTools, int tempo = 0) {
    FakeProfileStore store;
    for (const Entry& e : entries) store.Set(e.section, e.key, e.value);
    AppState state;
    state.launch_mode = launch_mode;
    state.metronome_tempo = tempo;
    ReadSettings(state, store, "C:\\music");
    return state;
}

TEST(Settings, MissingFileGivesDefaults) {
    AppState s = ReadWith({});
    EXPECT_EQ(std::make_tuple(s.screen_size, s.current_tool.load(), s.metronome_tempo.load(), s.sine_hz, s.sine_type),
              std::make_tuple(1, int{kToolSpectrum}, 30, 440, 1));
    EXPECT_EQ(std::make_tuple(s.sampling_hz, s.half_sampling_hz, s.sampling_time_ms, s.zoom_level, s.reference_a4_hz),
              std::make_tuple(44100, 22050, 0, 1, 440));
    EXPECT_EQ(s.guitar_keys, kDefaultGuitarKeys);
    EXPECT_EQ(s.shamisen_keys, kDefaultShamisenKeys);
    EXPECT_EQ(s.open_string_keys, kDefaultOpenStringKeys);
    EXPECT_EQ(s.settings_path, "C:\\music/Harmolab.ini");
}

struct CheckCase {
    std::vector<Entry> entries;
    std::function<int(const AppState&)> field;
    int expected;
    const char* what;
};

TEST(Settings, RangeChecksAndUncheckedFields) {
    auto tempo = [](const AppState& s) { return s.metronome_tempo.load(); };
    auto tool = [](const AppState& s) { return s.current_tool; };
    auto string_index = [](const AppState& s) { return s.string_index; };
    auto a4 = [](const AppState& s) { return s.reference_a4_hz; };
    const CheckCase cases[] = {
        {{{"METRONOME", "SPEED", "500"}}, tempo, 300, "tempo above range"},
        {{{"METRONOME", "SPEED", "10"}}, tempo, 30, "tempo below range"},
        {{{"TUNER", "KIND", "2"}}, tool, kToolMetronome, "metronome start"},
        {{{"TUNER", "KIND", "3"}}, tool, kToolSpectrum, "kind 3 names no tool"},
        {{{"TUNER", "VOLUME", "101"}}, [](const AppState& s) { return s.tuner_volume; }, 0, "volume"},
        {{{"BEAT", "NO", "6"}}, [](const AppState& s) { return s.beat_no; }, 6, "beat 6 accepted"},
        {{{"BEAT", "NO", "7"}}, [](const AppState& s) { return s.beat_no; }, 0, "beat 7"},
        {{{"PALLET", "NO", "3"}}, [](const AppState& s) { return s.palette_no; }, 0, "palette"},
        {{{"TARGET", "NOTE", "88"}}, [](const AppState& s) { return s.target_note.load(); }, 88, "target 88"},
        {{{"TARGET", "NOTE", "89"}}, [](const AppState& s) { return s.target_note.load(); }, 0, "target 89"},
        {{{"SINE", "HZ", "9"}}, [](const AppState& s) { return s.sine_hz; }, 440, "sine low"},
        {{{"SINE", "TYPE", "3"}}, [](const AppState& s) { return s.sine_type; }, 1, "sine type"},
        {{{"SAMPLING", "HZ", "7999"}}, [](const AppState& s) { return s.sampling_hz; }, 44100, "rate"},
        {{{"SAMPLING", "HZ", "11025"}}, [](const AppState& s) { return s.half_sampling_hz; }, 5512, "half rate"},
        {{{"SAMPLING", "TIME", "600001"}}, [](const AppState& s) { return s.sampling_time_ms; }, 1000, "time"},
        {{{"SAMPLING", "STEREO", "2"}}, [](const AppState& s) { return s.sampling_stereo; }, 0, "stereo"},
        {{{"KARAOKE", "MAKEKIND", "2"}}, [](const AppState& s) { return s.karaoke_make_kind; }, 0, "make kind"},
        {{{"METRO", "TYPE", "3"}}, [](const AppState& s) { return s.metro_move_type; }, 0, "move type"},
        {{{"OSILO", "STATUS", "ONE"}}, [](const AppState& s) { return s.osilo_status; }, 1, "begins with ON"},
        {{{"LOWFRQ", "ZOOM", "3"}}, [](const AppState& s) { return s.zoom_level; }, 1, "zoom restarts"},
        {{{"PLOT", "MODE", "7"}}, [](const AppState& s) { return s.plot_mode; }, 3, "plot bits"},
        {{{"FORS", "STATUS", "2"}}, [](const AppState& s) { return s.fors_status; }, 0, "fors"},
        {{{"INST", "STATUS", "-1"}}, [](const AppState& s) { return s.inst_status; }, 0, "inst status"},
        {{{"INST", "KIND", "4"}}, [](const AppState& s) { return s.instrument; }, 0, "instrument"},
        {{{"INST", "KIND", "0"}, {"INST", "STRING", "5"}}, string_index, 5, "guitar sixth string"},
        {{{"INST", "KIND", "3"}, {"INST", "STRING", "3"}}, string_index, 0, "shamisen has three"},
        {{{"INST", "KIND", "9"}, {"INST", "STRING", "5"}}, string_index, 5, "bad kind reads as guitar"},
        {{{"SINE", "TYPE", ""}}, [](const AppState& s) { return s.sine_type; }, 1, "empty sine type"},
        {{{"METRONOME", "KIND", "4"}}, [](const AppState& s) { return s.metronome_kind; }, 0, "kind"},
        {{{"DOWNBEAT", "2", "3"}}, [](const AppState& s) { return s.downbeat[0]; }, 0, "downbeat past bar"},
        {{{"DOWNBEAT", "6", "6"}}, [](const AppState& s) { return s.downbeat[4]; }, 6, "downbeat last"},
        {{{"DOWNBEAT", "4", "-2"}}, [](const AppState& s) { return s.downbeat[2]; }, 0, "downbeat negative"},
        {{{"TUNER", "A4", "450"}}, a4, 450, "reference pitch highest"},
        {{{"TUNER", "A4", "451"}}, a4, 440, "reference pitch above range"},
        {{{"TUNER", "A4", "4x"}}, a4, 440, "reference pitch not a number"},
    };
    for (const CheckCase& c : cases) EXPECT_EQ(c.field(ReadWith(c.entries)), c.expected) << c.what;
}

TEST(Settings, PerStringKeys) {
    AppState one_bad = ReadWith({{"GUITAR", "ST1", "5"},
                                 {"GUITAR", "ST2", "10"},
                                 {"GUITAR", "ST3", "12"},
                                 {"GUITAR", "ST4", "7"},
                                 {"GUITAR", "ST5", "11"},
                                 {"GUITAR", "ST6", "0"}});
    EXPECT_EQ(one_bad.guitar_keys, (std::array<int, 6>{5, 10, 2, 7, 11, 0}));

    AppState all_zero =
        ReadWith({{"BASS", "ST1", "0"}, {"BASS", "ST2", "0"}, {"BASS", "ST3", "0"}, {"BASS", "ST4", "0"}});
    EXPECT_EQ(all_zero.bass_keys, kDefaultBassKeys);

    AppState negative = ReadWith({{"SHAMI", "ST1", "-1"}, {"SHAMI", "ST2", "3"}, {"SHAMI", "ST3", "0"}});
    EXPECT_EQ(negative.shamisen_keys, (std::array<int, 3>{0, 3, 0}));
}

std::vector<Entry> OpenStringTableWith(int row, int column, int value) {
    std::vector<Entry> entries;
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 6; ++c) {
            int v = (r == row && c == column) ? value : kDefaultOpenStringKeys[r][c];
            entries.push_back({"STRING" + std::to_string(r), "NOTE" + std::to_string(c), std::to_string(v)});
        }
    }
    return entries;
}

TEST(Settings, OpenStringTableResetsWhole) {
    struct Case {
        int row, column, delta;
        bool kept;
    };
    const Case cases[] = {
        {0, 0, 4, true}, {0, 0, 5, false}, {3, 5, -4, false} /* not a key */, {1, 2, -4, true}, {3, 1, -5, false}};
    for (const Case& c : cases) {
        int value = kDefaultOpenStringKeys[c.row][c.column] + c.delta;
        AppState s = ReadWith(OpenStringTableWith(c.row, c.column, value));
        auto expected = kDefaultOpenStringKeys;
        if (c.kept) expected[c.row][c.column] = value;
        EXPECT_EQ(s.open_string_keys, expected) << "row " << c.row << " column " << c.column << " delta " << c.delta;
    }
}

TEST(Settings, SingleToolModesIgnoreToolKeys) {
    std::vector<Entry> file = {{"TUNER", "KIND", "1"},
                               {"METRONOME", "SPEED", "200"},
                               {"BEAT", "NO", "3"},
                               {"PALLET", "NO", "2"},
                               {"SCREEN", "SIZE", "0"}};
    struct Case {
        int mode, tool, screen;
    };
    for (const Case& c : {Case{0, 0, 2}, Case{1, 1, 1}, Case{2, 2, 1}}) {
        AppState s = ReadWith(file, c.mode, 140);
        EXPECT_EQ(s.current_tool, c.tool) << c.mode;
        EXPECT_EQ(s.screen_size, c.screen) << c.mode;
        EXPECT_EQ(s.palette_no, 0) << c.mode;
        EXPECT_EQ(s.metronome_tempo, 140) << c.mode;
        EXPECT_EQ(s.beat_no, 0) << c.mode;
    }
    AppState all = ReadWith(file);
    EXPECT_EQ(all.current_tool, 1);
    EXPECT_EQ(all.screen_size, 1);
    EXPECT_EQ(all.palette_no, 2);
    EXPECT_EQ(all.metronome_tempo, 200);
    EXPECT_EQ(all.beat_no, 3);
}

// Every key is written once, and a written file read back writes the same file: so nothing the user set
// is lost between runs (the keys set here differ from their defaults).
TEST(Settings, WrittenFileReadsBackAndWritesTheSame) {
    AppState original = ReadWith({{"TUNER", "KIND", "1"},
                                  {"OSILO", "STATUS", "ON"},
                                  {"TARGET", "NOTE", "49"},
                                  {"INST", "KIND", "2"},
                                  {"INST", "STRING", "3"},
                                  {"UKULELE", "ST2", "1"},
                                  {"STRING3", "NOTE1", "48"},
                                  {"DOWNBEAT", "4", "1"},
                                  {"SAMPLING", "HZ", "22050"},
                                  {"METRO", "SOUND1", "a.wav"},
                                  {"SINE", "FILE", "C:\\t.wav"},
                                  {"METRONOME", "KIND", "2"},
                                  {"TUNER", "A4", "442"}});
    original.metronome_tempo = 999;  // clamped on writing
    FakeProfileStore first, second;
    WriteSettings(original, first);
    const std::set<std::string> keys(first.written().begin(), first.written().end());
    EXPECT_EQ(first.written().size(), 79u);
    EXPECT_EQ(keys.size(), first.written().size()) << "a key written twice";
    EXPECT_EQ(first.ReadText("METRONOME", "SPEED"), "300");
    EXPECT_EQ(first.ReadText("OSILO", "STATUS"), "ON");
    EXPECT_EQ(first.ReadText("NOTE", "STATUS"), "OFF");
    AppState again;
    ReadSettings(again, first, original.program_dir);
    EXPECT_EQ(again.reference_a4_hz, 442);
    WriteSettings(again, second);
    EXPECT_EQ(second.values(), first.values());
}

TEST(Settings, SingleToolRunWritesNothing) {
    for (int mode : {0, 1, 2}) {
        FakeProfileStore store;
        AppState s = ReadWith({}, mode, 30);
        WriteSettings(s, store);
        EXPECT_TRUE(store.written().empty()) << mode;
    }
}

TEST(Settings, LongDirectoryKeepsWholePath) {
    std::string dir = "C:\\" + std::string(600, 'd');
    FakeProfileStore store;
    AppState s;
    ReadSettings(s, store, dir);
    EXPECT_EQ(s.settings_path, dir + "/Harmolab.ini");
}

}  // namespace
