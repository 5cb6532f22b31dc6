// Check marks, gray states and the downbeat numbering of the main menu.
#include "app/menu_marks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>

#include "resources/resource_ids.h"

namespace {

std::map<int, bool> AsMap(const std::vector<MenuMark>& marks) {
    std::map<int, bool> out;
    for (const MenuMark& m : marks) out[m.id] = m.on;
    return out;
}

TEST(MenuMarks, RulesFromSnapshot) {
    struct Case {
        const char* what;
        std::function<void(MenuSnapshot&)> set;
        std::map<int, bool> expected;  // only the ids named here are checked
    };
    const Case cases[] = {
        {"power and pause",
         [](MenuSnapshot& s) {
             s.power_on = 1;
             s.paused = 1;
         },
         {{IDM_POWER, true}, {IDM_PAUSE, true}}},
        {"power off", [](MenuSnapshot&) {}, {{IDM_POWER, false}, {IDM_PAUSE, false}}},
        {"spectrum", [](MenuSnapshot& s) { s.current_tool = 0; }, {{IDM_SPECTRUM, true}, {IDM_TUNER, false}}},
        {"tuner", [](MenuSnapshot& s) { s.current_tool = 1; }, {{IDM_SPECTRUM, false}, {IDM_TUNER, true}}},
        {"metronome",
         [](MenuSnapshot& s) {
             s.current_tool = 2;
             s.metronome_kind = 2;
         },
         {{IDM_SPECTRUM, false},
          {IDM_TUNER, false},
          {IDM_KIND_NORMAL, false},
          {IDM_KIND_BALL, true},
          {IDM_KIND_SIGNAL, false}}},
        {"kinds hidden in tuner",
         [](MenuSnapshot& s) {
             s.current_tool = 1;
             s.metronome_kind = 3;
         },
         {{IDM_KIND_SIGNAL, false}, {IDM_KIND_NORMAL, false}}},
        {"note mode", [](MenuSnapshot& s) { s.plot_mode = 1; }, {{IDM_NOTE_MODE, true}, {IDM_OSCILLOSCOPE, false}}},
        {"oscilloscope", [](MenuSnapshot& s) { s.plot_mode = 2; }, {{IDM_NOTE_MODE, false}, {IDM_OSCILLOSCOPE, true}}},
        {"normal size", [](MenuSnapshot& s) { s.screen_size = 0; }, {{IDM_HALF_SIZE, false}, {IDM_NORMAL_SIZE, true}}},
        {"spectrum half",
         [](MenuSnapshot& s) { s.screen_size = 2; },
         {{IDM_HALF_SIZE, true}, {IDM_NORMAL_SIZE, false}}},
        {"analysis play", [](MenuSnapshot& s) { s.play_kind = 3; }, {{IDM_WAVE_PLAY, true}}},
        {"tone plays", [](MenuSnapshot& s) { s.play_kind = 2; }, {{IDM_WAVE_PLAY, false}}},
        {"wave view", [](MenuSnapshot& s) { s.wave_view_open = true; }, {{IDM_WAVE_VIEW, true}}},
        {"downbeat 3 of 2",
         [](MenuSnapshot& s) {
             s.downbeat = {0, 2, 0, 0, 0};
         },
         {{IDM_DOWNBEAT_3_1, false}, {IDM_DOWNBEAT_3_2, true}, {IDM_DOWNBEAT_3_3, false}, {IDM_DOWNBEAT_2_2, false}}},
        {"downbeat 6 of 6",
         [](MenuSnapshot& s) {
             s.downbeat = {1, 0, 0, 0, 6};
         },
         {{IDM_DOWNBEAT_2_1, true}, {IDM_DOWNBEAT_6_6, true}, {IDM_DOWNBEAT_6_1, false}}},
    };
    for (const Case& c : cases) {
        MenuSnapshot s;
        c.set(s);
        std::map<int, bool> all = AsMap(AllCheckMarks(s));
        for (const auto& [id, on] : c.expected) {
            ASSERT_TRUE(all.count(id)) << c.what << " id " << id;
            EXPECT_EQ(all[id], on) << c.what << " id " << id;
        }
    }
}

TEST(MenuMarks, KindOnlyFormIgnoresTool) {
    MenuSnapshot s;
    s.current_tool = kToolTuner;
    s.metronome_kind = 1;
    auto marks = AsMap(MetronomeKindMarks(s, KindForm::kKindOnly));
    EXPECT_EQ(
        marks,
        (std::map<int, bool>{
            {IDM_KIND_NORMAL, false}, {IDM_KIND_CONDUCTOR, true}, {IDM_KIND_BALL, false}, {IDM_KIND_SIGNAL, false}}));
}

TEST(MenuMarks, DownbeatNumberingRoundTrips) {
    const std::map<std::pair<int, int>, int> fixed = {
        {{2, 1}, 40059}, {{2, 2}, 40060}, {{3, 1}, 40061}, {{3, 3}, 40063}, {{4, 1}, 40064},
        {{4, 4}, 40067}, {{5, 1}, 40068}, {{5, 5}, 40072}, {{6, 1}, 40073}, {{6, 6}, 40078}};
    for (const auto& [bar, id] : fixed) EXPECT_EQ(DownbeatCommand(bar.first, bar.second), id);
    for (int id = IDM_DOWNBEAT_FIRST; id <= IDM_DOWNBEAT_LAST; ++id) {
        int beats = 0;
        int position = 0;
        ASSERT_TRUE(DownbeatFromCommand(id, beats, position)) << id;
        EXPECT_EQ(DownbeatCommand(beats, position), id);
        EXPECT_GE(position, 1);
        EXPECT_LE(position, beats);
    }
    int beats = 0;
    int position = 0;
    EXPECT_FALSE(DownbeatFromCommand(IDM_DOWNBEAT_FIRST - 1, beats, position));
    EXPECT_FALSE(DownbeatFromCommand(IDM_DOWNBEAT_LAST + 1, beats, position));
}

TEST(MenuMarks, GrayedPerLaunchMode) {
    const std::vector<int> common = {IDM_RHYTHM_BOX,  IDM_CONFIG,         IDM_GUITAR_TUNING,
                                     IDM_BASS_TUNING, IDM_UKULELE_TUNING, IDM_SHAMISEN_TUNING};
    auto with = [&common](std::vector<int> tools) {
        tools.insert(tools.end(), common.begin(), common.end());
        std::sort(tools.begin(), tools.end());
        return tools;
    };
    auto sorted = [](std::vector<int> v) {
        std::sort(v.begin(), v.end());
        return v;
    };
    EXPECT_TRUE(GrayedItems(kLaunchAllTools).empty());
    EXPECT_EQ(sorted(GrayedItems(0)), with({IDM_TUNER}));
    EXPECT_EQ(sorted(GrayedItems(1)), with({IDM_SPECTRUM}));
    EXPECT_EQ(sorted(GrayedItems(2)), with({IDM_SPECTRUM, IDM_TUNER}));
}

}  // namespace
