// Tuner and metronome buttons at both sizes, the weight drag, held repetition, and the spectrum's
// keyboard strip.
#include "app/pointer_input.h"

#include <gtest/gtest.h>

#include <array>
#include <utility>

#include "app/settings.h"
#include "resources/resource_ids.h"

namespace {

std::unique_ptr<AppState> Screen(int tool, int screen_size) {
    auto s = std::make_unique<AppState>();
    s->current_tool = tool;
    s->screen_size = screen_size;
    s->open_string_keys = kDefaultOpenStringKeys;
    s->metronome_tempo = 120;
    s->beat_no = 3;
    return s;
}

struct Click {
    int x, y;    // normal size
    int hx, hy;  // half size
};

// String index, panel status, instrument, target key, sharps.
using TunerView = std::array<int, 5>;

TunerView View(const AppState& s) {
    return {s.string_index, s.inst_status, s.instrument, s.target_note.load(), s.fors_status};
}

TEST(TunerButtons, EachBoxAtBothSizes) {
    const struct {
        const char* what;
        Click at;
        TunerView before;
        int pressed;
        TunerView after;
        int command, tone_key;
    } cases[] = {
        {"string up wraps", {220, 410, 110, 205}, {5, 0, 0, 0, 0}, 11, {0, 0, 0, 20, 0}, 0, 0},
        {"string down wraps", {220, 460, 110, 230}, {0, 0, 0, 0, 0}, 12, {5, 0, 0, 44, 0}, 0, 0},
        {"panel on", {40, 430, 20, 215}, {1, 0, 0, 0, 0}, 7, {1, 1, 0, 25, 0}, 0, 0},
        {"bass lowers the string", {100, 430, 50, 215}, {5, 1, 0, 0, 0}, 7, {3, 1, 1, 23, 0}, 0, 0},
        {"instrument with panel off", {100, 430, 50, 215}, {5, 0, 0, 0, 0}, 0, {5, 0, 0, 0, 0}, 0, 0},
        {"config", {300, 430, 150, 215}, {0, 0, 3, 0, 0}, 10, {0, 0, 3, 0, 0}, IDM_SHAMISEN_TUNING, 0},
        {"corner: sharps", {10, 10, 5, 5}, {0, 0, 0, 0, 0}, 6, {0, 0, 0, 0, 1}, 0, 0},
        {"clear", {460, 430, 230, 215}, {0, 0, 0, 40, 0}, 3, {0, 0, 0, 0, 0}, 0, 0},
        {"step waits for the tick", {560, 430, 280, 215}, {0, 0, 0, 40, 0}, 5, {0, 0, 0, 40, 0}, 0, 0},
        {"target plays its key", {150, 360, 100, 180}, {0, 0, 0, 49, 0}, 0, {0, 0, 0, 49, 0}, 0, 49},
        {"automatic target is silent", {150, 360, 100, 180}, {}, 0, {}, 0, 0},
        {"just above the target is silent", {190, 350, 95, 175}, {0, 0, 0, 49, 0}, 0, {0, 0, 0, 49, 0}, 0, 0},
    };
    for (const auto& c : cases) {
        for (int size : {0, 1}) {
            SCOPED_TRACE(testing::Message() << c.what << ", size " << size);
            auto s = Screen(kToolTuner, size);
            s->string_index = c.before[0];
            s->inst_status = c.before[1];
            s->instrument = c.before[2];
            s->target_note = c.before[3];
            PointerAction a = TunerPress(*s, size ? c.at.hx : c.at.x, size ? c.at.hy : c.at.y, false);
            EXPECT_EQ(s->pressed_button, c.pressed);
            EXPECT_EQ(View(*s), c.after);
            EXPECT_EQ(a.refresh, c.pressed != 0);
            EXPECT_EQ(a.command, c.command);
            EXPECT_EQ(a.tone_key, c.tone_key);
            EXPECT_EQ(a.tone_ms, c.tone_key ? 1000 : 0);
        }
    }
}

TEST(MetronomeButtons, EachBoxAtBothSizesAndNothingWhileRunning) {
    const struct {
        const char* what;
        Click at;
        int tempo, beat_no;  // before
        int pressed, tempo_after, beat_no_after;
    } cases[] = {
        // The weight hangs at x 301..341 from y 129 + tempo - 30 down 62 pixels (rod upright).
        {"weight at 30", {320, 160, 160, 80}, 30, 3, 1, 30, 3},
        {"weight at 300", {320, 430, 160, 215}, 300, 3, 1, 300, 3},
        {"normal-layout tempo down waits", {270, 370, 135, 185}, 120, 3, 2, 120, 3},
        {"normal-layout tempo up waits", {367, 370, 183, 185}, 120, 3, 4, 120, 3},
        {"bar length down wraps to 5", {96, 28, 48, 14}, 120, 0, 20, 120, 5},
        {"bar length up", {198, 28, 99, 14}, 120, 3, 21, 120, 4},
        {"bar length up wraps to 0", {198, 28, 99, 14}, 120, 5, 21, 120, 0},
        {"bar length up from the file's 6", {198, 28, 99, 14}, 120, 6, 21, 120, 0},
        {"top-row tempo down steps at once", {391, 28, 195, 14}, 120, 3, 30, 119, 3},
        {"top-row tempo down stays at 30", {391, 28, 195, 14}, 30, 3, 30, 30, 3},
        {"top-row tempo up stays at 300", {596, 28, 298, 14}, 300, 3, 31, 300, 3},
        {"bar length down's top-left corner", {76, 11, 38, 6}, 120, 3, 20, 120, 2},
        {"tempo up's bottom-right corner", {617, 46, 308, 22}, 120, 3, 31, 121, 3},
        {"just outside tempo up", {618, 28, 309, 14}, 120, 3, 0, 120, 3},
    };
    for (const auto& c : cases) {
        for (int size : {0, 1}) {
            for (int power : {0, 1}) {
                // Both tempo pairs answer in every kind.
                for (int kind = 0; kind < kMetronomeKindCount; ++kind) {
                    SCOPED_TRACE(testing::Message()
                                 << c.what << ", size " << size << ", power " << power << ", kind " << kind);
                    auto s = Screen(kToolMetronome, size);
                    s->power_on = power;
                    s->metronome_kind = kind;
                    s->metronome_tempo = c.tempo;
                    s->beat_no = c.beat_no;
                    const int x = size ? c.at.hx : c.at.x, y = size ? c.at.hy : c.at.y;
                    PointerAction a = MetronomePress(*s, x, y);
                    const int pressed = power ? 0 : c.pressed;
                    EXPECT_EQ(s->pressed_button, pressed);
                    EXPECT_EQ(a.refresh, pressed != 0);
                    EXPECT_EQ(s->metronome_tempo, power ? c.tempo : c.tempo_after);
                    EXPECT_EQ(s->beat_no, power ? c.beat_no : c.beat_no_after);
                    EXPECT_EQ(s->last_drag_y, pressed == 1 ? y : 0);
                }
            }
        }
    }
}

TEST(PointerInput, PressGuards) {
    auto tuner = Screen(kToolTuner, 0);
    tuner->instrument = 3;
    EXPECT_EQ(TunerPress(*tuner, 300, 430, true).command, 0) << "config while a tuning dialog is open";
    tuner->pressed_button = 4;
    TunerPress(*tuner, 220, 410, false);  // string up while a step button is held
    EXPECT_EQ(tuner->string_index, 0);
    EXPECT_TRUE(ReleasePress(*tuner));
    EXPECT_EQ(tuner->pressed_button, 0);
    EXPECT_FALSE(ReleasePress(*tuner));

    // Rod position 15 at 253 bpm puts the weight (x 231..271, y 354..415) over tempo down.
    auto s = Screen(kToolMetronome, 0);
    s->rod_position = 15;
    s->metronome_tempo = 253;
    MetronomePress(*s, 260, 370);
    EXPECT_EQ(s->pressed_button, 1);
    for (auto [x, y] : {std::pair{198, 28}, std::pair{596, 28}, std::pair{367, 370}}) {
        auto half = Screen(kToolMetronome, 1);
        MetronomePress(*half, x, y);
        EXPECT_EQ(half->pressed_button, 0) << "a normal-size box at half size: " << x << "," << y;
    }
    tuner->screen_size = 1;
    TunerPress(*tuner, 220, 410, false);
    EXPECT_EQ(tuner->pressed_button, 0) << "a normal-size box at half size";
}

TEST(MetronomeButtons, WeightDrag) {
    // One pixel down is one beat per minute more, only within the weight's column and the rod.
    const struct {
        int size, tempo, start_y, x, y;
        bool refresh;
        int tempo_after;
    } cases[] = {
        {0, 120, 230, 320, 240, true, 130},  {0, 40, 170, 320, 130, true, 30},    {0, 290, 300, 320, 398, true, 300},
        {0, 120, 230, 300, 250, false, 120}, {0, 120, 230, 341, 250, true, 140},  {0, 120, 230, 320, 399, false, 120},
        {1, 120, 115, 160, 125, true, 130},  {1, 120, 115, 171, 150, false, 120},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "size " << c.size << ", " << c.tempo << " bpm, " << c.start_y << " to "
                                        << c.x << "," << c.y);
        auto s = Screen(kToolMetronome, c.size);
        s->metronome_tempo = c.tempo;
        s->pressed_button = 1;
        s->last_drag_y = c.start_y;
        EXPECT_EQ(MetronomeDrag(*s, c.x, c.y, true), c.refresh);
        EXPECT_EQ(s->metronome_tempo, c.tempo_after);
        EXPECT_EQ(s->last_drag_y, c.refresh ? c.y : c.start_y);
    }

    // Only a held weight drags, only with the left button down (a release outside the window may
    // have gone unseen), only on the metronome, only while stopped.
    const struct {
        void (*change)(AppState&);
        bool left_down;
    } still[] = {{[](AppState& s) { s.pressed_button = 0; }, true},
                 {[](AppState& s) { s.pressed_button = 4; }, true},
                 {[](AppState& s) { s.current_tool = kToolTuner; }, true},
                 {[](AppState& s) { s.power_on = 1; }, true},
                 {[](AppState&) {}, false}};
    for (const auto& c : still) {
        auto s = Screen(kToolMetronome, 0);
        s->pressed_button = 1;
        s->last_drag_y = 230;
        c.change(*s);
        EXPECT_FALSE(MetronomeDrag(*s, 320, 260, c.left_down));
        EXPECT_EQ(s->metronome_tempo, 120);
    }
}

TEST(HeldButtons, RepeatOnTheTick) {
    struct Case {
        int tool, power, button, start, ticks, expected;
        int refreshes;  // -1: not counted
    };
    // Both repeaters run on every tick, the metronome's first, as the window does. The counter
    // starts at 0 and a step comes on the first tick after six have passed.
    const int kT = kToolTuner, kM = kToolMetronome;
    for (const Case& c :
         {Case{kT, 0, 1, 3, 30, 1, -1}, Case{kT, 0, 5, 86, 30, 88, -1}, Case{kT, 0, 4, 0, 6, 1, -1},
          Case{kT, 0, 4, 40, 5, 40, -1}, Case{kM, 0, 2, 120, 18, 117, 3}, Case{kM, 0, 30, 120, 18, 117, 3},
          Case{kM, 0, 31, 120, 5, 120, 0}, Case{kM, 0, 2, 31, 30, 30, 1}, Case{kM, 0, 4, 299, 30, 300, 1},
          Case{kM, 0, 1, 120, 30, 120, 0}, Case{kM, 1, 4, 120, 30, 120, 0}}) {
        SCOPED_TRACE(testing::Message() << "tool " << c.tool << ", power " << c.power << ", button " << c.button
                                        << ", from " << c.start);
        auto s = Screen(c.tool, 0);
        s->power_on = c.power;
        (c.tool == kT ? s->target_note : s->metronome_tempo) = c.start;
        s->pressed_button = c.button;
        int refreshes = 0;
        for (int t = 0; t < c.ticks; ++t) {
            s->tick_count.fetch_add(1);
            const bool metronome = MetronomeRepeat(*s);
            refreshes += (TunerRepeat(*s) || metronome) ? 1 : 0;
        }
        EXPECT_EQ(c.tool == kT ? s->target_note.load() : s->metronome_tempo.load(), c.expected);
        if (c.refreshes >= 0) {
            EXPECT_EQ(refreshes, c.refreshes);
        }
    }

    // The counter runs while nothing is held, so the first held step follows a top-row press at the next
    // tick.
    auto s = Screen(kToolMetronome, 0);
    s->tick_count = 40;
    MetronomePress(*s, 596, 28);
    EXPECT_EQ(s->metronome_tempo, 121);
    s->tick_count.fetch_add(1);
    EXPECT_TRUE(MetronomeRepeat(*s));
    EXPECT_EQ(s->metronome_tempo, 122);
}

TEST(SpectrumStrip, KeysRunLeftToRight) {
    // A 360 x 300 window with 4-pixel frames: the strip is between rows 230 and 265.
    for (const auto& [x, y, key] :
         {std::array{5, 240, 1}, {355, 240, 88}, {180, 240, 45}, {180, 230, 0}, {180, 266, 0}, {4, 240, 0}}) {
        EXPECT_EQ(SpectrumStripKey(360, 300, x, y, 4), key) << x << "," << y;
    }
}

}  // namespace
