// Power, pause, tool switches and kind choices: the actions in order, the state and the marks.
#include "app/tool_sequence.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "resources/resource_ids.h"

namespace {

using A = ToolAction;

bool Checked(const std::vector<MenuMark>& marks, int id) {
    for (const MenuMark& m : marks) {
        if (m.id == id) return m.on;
    }
    return false;
}

std::vector<int> CheckedIds(const std::vector<MenuMark>& marks) {
    std::vector<int> ids;
    for (const MenuMark& m : marks) {
        if (m.on) ids.push_back(m.id);
    }
    return ids;
}

TEST(ToolSequence, ActionsStateAndMarks) {
    struct Case {
        std::string label;
        int launch_mode, tool, power;  // power 2: on and paused
        std::function<ToolSequence(AppState&)> step;
        std::vector<A> actions;
        std::vector<int> checked;  // the marks set on
        int tool_after, power_after, paused_after;
    };
    const auto power = [](AppState& s) { return TogglePowerSequence(s); };
    const auto pause = [](AppState& s) { return TogglePauseSequence(s); };
    const auto go = [](int tool) { return [tool](AppState& s) { return GoToolSequence(s, tool); }; };
    const auto kind = [](int k) { return [k](AppState& s) { return ChooseKindSequence(s, k); }; };
    const int all = kLaunchAllTools, sp = kToolSpectrum, tu = kToolTuner, me = kToolMetronome;
    const A stop = A::kStopCapture, start = A::kStartCapture, leave = A::kLeaveTool, enter = A::kEnterTool;
    const Case cases[] = {
        // clang-format off
        {"power on, spectrum", all, sp, 0, power, {start}, {IDM_POWER}, sp, 1, 0},
        {"power off while paused", all, tu, 2, power, {stop}, {}, tu, 0, 0},
        {"pause, spectrum", all, sp, 1, pause, {stop}, {IDM_POWER, IDM_PAUSE}, sp, 1, 1},
        {"pause, metronome", all, me, 1, pause, {A::kPauseMetronome}, {IDM_POWER, IDM_PAUSE}, me, 1, 1},
        {"pause while off", all, tu, 0, pause, {}, {}, tu, 0, 0},
        {"to the tuner, running", all, sp, 1, go(tu), {leave, enter, start}, {IDM_TUNER}, tu, 1, 0},
        {"to the metronome, off", all, tu, 0, go(me), {leave, enter}, {IDM_KIND_NORMAL}, me, 0, 0},
        {"a switch in tuner-only mode", tu, tu, 0, go(sp), {}, {}, tu, 0, 0},
        {"a kind, all tools", all, sp, 1, kind(kKindBall), {stop, leave, enter}, {IDM_KIND_BALL}, me, 0, 0},
        // The kind chosen in metronome-only mode is the one checked, not Normal.
        {"a kind, metronome-only", me, me, 1, kind(kKindConductor), {A::kStopMetronome}, {IDM_KIND_CONDUCTOR}, me, 0, 0},
        {"a kind, tuner-only", tu, tu, 0, kind(kKindSignal), {}, {}, tu, 0, 0},
        // clang-format on
    };
    for (const Case& c : cases) {
        auto s = std::make_unique<AppState>();
        s->launch_mode = c.launch_mode;
        s->current_tool = c.tool;
        s->power_on = c.power > 0 ? 1 : 0;
        s->paused = c.power == 2 ? 1 : 0;
        const ToolSequence seq = c.step(*s);
        EXPECT_EQ(seq.actions, c.actions) << c.label;
        EXPECT_EQ(CheckedIds(seq.marks), c.checked) << c.label;
        EXPECT_EQ((std::vector<int>{s->current_tool, s->power_on, s->paused}),
                  (std::vector<int>{c.tool_after, c.power_after, c.paused_after}))
            << c.label;
    }
}

TEST(ToolSequence, MarksCoverEveryItemTheyMayHaveChecked) {
    // A power-off after a pause unchecks both; a switch unchecks the tool and the kinds it left.
    auto s = std::make_unique<AppState>();
    s->power_on = 1;
    s->paused = 1;
    const ToolSequence off = TogglePowerSequence(*s);
    EXPECT_FALSE(Checked(off.marks, IDM_PAUSE));
    EXPECT_EQ(off.marks.size(), 2u);
    s->current_tool = kToolMetronome;
    const ToolSequence to_tuner = GoToolSequence(*s, kToolTuner);
    for (int id : {IDM_SPECTRUM, IDM_KIND_NORMAL, IDM_KIND_CONDUCTOR, IDM_KIND_BALL, IDM_KIND_SIGNAL}) {
        EXPECT_FALSE(Checked(to_tuner.marks, id)) << id;
        EXPECT_TRUE(std::any_of(to_tuner.marks.begin(), to_tuner.marks.end(), [id](const MenuMark& m) {
            return m.id == id;
        })) << id;
    }
}

}  // namespace
