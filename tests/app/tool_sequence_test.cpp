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
    const int all = kLaunchAllTools;
    const Case cases[] = {
        {"power on, spectrum", all, kToolSpectrum, 0, power, {A::kStartCapture}, {IDM_POWER}, kToolSpectrum, 1, 0},
        {"power off while paused", all, kToolTuner, 2, power, {A::kStopCapture}, {}, kToolTuner, 0, 0},
        {"pause, spectrum",
         all,
         kToolSpectrum,
         1,
         pause,
         {A::kStopCapture},
         {IDM_POWER, IDM_PAUSE},
         kToolSpectrum,
         1,
         1},
        {"pause, metronome",
         all,
         kToolMetronome,
         1,
         pause,
         {A::kPauseMetronome},
         {IDM_POWER, IDM_PAUSE},
         kToolMetronome,
         1,
         1},
        {"pause while off", all, kToolTuner, 0, pause, {}, {}, kToolTuner, 0, 0},
        {"to the tuner, running",
         all,
         kToolSpectrum,
         1,
         go(kToolTuner),
         {A::kLeaveTool, A::kEnterTool, A::kStartCapture},
         {IDM_TUNER},
         kToolTuner,
         1,
         0},
        {"to the metronome, off",
         all,
         kToolTuner,
         0,
         go(kToolMetronome),
         {A::kLeaveTool, A::kEnterTool},
         {IDM_KIND_NORMAL},
         kToolMetronome,
         0,
         0},
        {"a switch in tuner-only mode", kToolTuner, kToolTuner, 0, go(kToolSpectrum), {}, {}, kToolTuner, 0, 0},
        {"a kind, all tools",
         all,
         kToolSpectrum,
         1,
         kind(kKindBall),
         {A::kStopCapture, A::kLeaveTool, A::kEnterTool},
         {IDM_KIND_BALL},
         kToolMetronome,
         0,
         0},
        // The kind chosen in metronome-only mode is the one checked, not Normal.
        {"a kind, metronome-only",
         kToolMetronome,
         kToolMetronome,
         1,
         kind(kKindConductor),
         {A::kStopMetronome},
         {IDM_KIND_CONDUCTOR},
         kToolMetronome,
         0,
         0},
        {"a kind, tuner-only", kToolTuner, kToolTuner, 0, kind(kKindSignal), {}, {}, kToolTuner, 0, 0},
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
