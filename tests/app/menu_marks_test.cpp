// Check marks, gray states and the downbeat numbering of the main menu.
#include "app/menu_marks.h"

#include <gtest/gtest.h>

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
        void (*set)(MenuSnapshot&);
        std::map<int, bool> expected;  // only the ids named here are checked
    };
    const Case cases[] = {
        {"power and pause", [](MenuSnapshot& s) { s.power_on = 1, s.paused = 1; }, {{IDM_POWER, 1}, {IDM_PAUSE, 1}}},
        {"power off", [](MenuSnapshot&) {}, {{IDM_POWER, false}, {IDM_PAUSE, false}}},
        {"tuner", [](MenuSnapshot& s) { s.current_tool = 1; }, {{IDM_SPECTRUM, false}, {IDM_TUNER, true}}},
        {"metronome",
         [](MenuSnapshot& s) { s.current_tool = 2, s.metronome_kind = 2; },
         {{IDM_SPECTRUM, false}, {IDM_TUNER, false}, {IDM_KIND_NORMAL, false}, {IDM_KIND_BALL, true}}},
        {"kinds hidden in tuner",
         [](MenuSnapshot& s) { s.current_tool = 1, s.metronome_kind = 3; },
         {{IDM_KIND_SIGNAL, false}, {IDM_KIND_NORMAL, false}}},
        {"oscilloscope", [](MenuSnapshot& s) { s.plot_mode = 2; }, {{IDM_NOTE_MODE, false}, {IDM_OSCILLOSCOPE, true}}},
        {"spectrum half", [](MenuSnapshot& s) { s.screen_size = 2; }, {{IDM_HALF_SIZE, 1}, {IDM_NORMAL_SIZE, 0}}},
        {"analysis play", [](MenuSnapshot& s) { s.play_kind = 3; }, {{IDM_WAVE_PLAY, true}}},
        {"tone plays", [](MenuSnapshot& s) { s.play_kind = 2; }, {{IDM_WAVE_PLAY, false}}},
        {"wave view", [](MenuSnapshot& s) { s.wave_view_open = true; }, {{IDM_WAVE_VIEW, true}}},
        {"downbeats",
         [](MenuSnapshot& s) {
             s.downbeat = {1, 2, 0, 0, 6};
         },
         {{IDM_DOWNBEAT_2_1, true}, {IDM_DOWNBEAT_3_1, false}, {IDM_DOWNBEAT_3_2, true}, {IDM_DOWNBEAT_6_6, true}}},
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
    MenuSnapshot tuner;
    tuner.current_tool = kToolTuner;
    tuner.metronome_kind = 1;
    EXPECT_EQ(AsMap(MetronomeKindMarks(tuner, KindForm::kKindOnly))[IDM_KIND_CONDUCTOR], true)
        << "the kind-only form ignores the tool";
}

TEST(MenuMarks, DownbeatNumberingRoundTrips) {
    EXPECT_EQ(DownbeatCommand(2, 1), IDM_DOWNBEAT_FIRST);
    EXPECT_EQ(DownbeatCommand(6, 6), IDM_DOWNBEAT_LAST);
    int beats = 0, position = 0;
    for (int id = IDM_DOWNBEAT_FIRST; id <= IDM_DOWNBEAT_LAST; ++id) {
        ASSERT_TRUE(DownbeatFromCommand(id, beats, position)) << id;
        EXPECT_EQ(DownbeatCommand(beats, position), id);
        EXPECT_TRUE(position >= 1 && position <= beats) << id;
    }
    EXPECT_FALSE(DownbeatFromCommand(IDM_DOWNBEAT_FIRST - 1, beats, position));
    EXPECT_FALSE(DownbeatFromCommand(IDM_DOWNBEAT_LAST + 1, beats, position));
}

}  // namespace
