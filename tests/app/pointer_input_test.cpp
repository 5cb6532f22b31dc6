// Tuner and metronome buttons at both sizes, the weight drag, held repetition, and the spectrum's
// keyboard strip.
#include "app/pointer_input.h"

#include <gtest/gtest.h>

#include <functional>

#include "app/settings.h"
#include "resources/resource_ids.h"

namespace {

std::unique_ptr<AppState> Tuner(int screen_size) {
    auto s = std::make_unique<AppState>();
    s->current_tool = kToolTuner;
    s->screen_size = screen_size;
    s->open_string_keys = kDefaultOpenStringKeys;
    return s;
}

struct Click {
    int x, y;  // normal size; halved for half size by the table below
    int hx, hy;
};

TEST(TunerButtons, StringUpWrapsAndSetsTarget) {
    for (const Click& c : {Click{220, 410, 110, 205}}) {
        for (int size : {0, 1}) {
            auto s = Tuner(size);
            s->string_index = 5;
            PointerAction a = size ? TunerPress(*s, c.hx, c.hy, false) : TunerPress(*s, c.x, c.y, false);
            EXPECT_TRUE(a.refresh);
            EXPECT_EQ(s->string_index, 0) << size;
            EXPECT_EQ(s->target_note, 20) << size;
            EXPECT_EQ(s->pressed_button, 11);
        }
    }
}

TEST(TunerButtons, EachBoxAtBothSizes) {
    struct Case {
        const char* what;
        Click at;
        int pressed;
        std::function<void(AppState&)> before;
        std::function<void(const AppState&, const PointerAction&)> check;
    };
    const Case cases[] = {
        {"string down wraps", {220, 460, 110, 230}, 12, [](AppState&) {},
         [](const AppState& s, const PointerAction&) { EXPECT_EQ(s.string_index, 5); }},
        {"panel on takes the tuning", {40, 430, 20, 215}, 7, [](AppState& s) { s.string_index = 1; },
         [](const AppState& s, const PointerAction&) {
             EXPECT_EQ(s.inst_status, 1);
             EXPECT_EQ(s.target_note, 25);
         }},
        {"instrument to bass lowers the string", {100, 430, 50, 215}, 7,
         [](AppState& s) { s.inst_status = 1; s.string_index = 5; },
         [](const AppState& s, const PointerAction&) {
             EXPECT_EQ(s.instrument, 1);
             EXPECT_EQ(s.string_index, 3);
             EXPECT_EQ(s.target_note, 23);
         }},
        {"config asks for the instrument's dialog", {300, 430, 150, 215}, 10, [](AppState& s) { s.instrument = 3; },
         [](const AppState&, const PointerAction& a) { EXPECT_EQ(a.command, IDM_SHAMISEN_TUNING); }},
        {"corner switches to sharps", {10, 10, 5, 5}, 6, [](AppState&) {},
         [](const AppState& s, const PointerAction&) { EXPECT_EQ(s.fors_status, 1); }},
        {"clear button", {460, 430, 230, 215}, 3, [](AppState& s) { s.target_note = 40; },
         [](const AppState& s, const PointerAction&) { EXPECT_EQ(s.target_note, 0); }},
        {"step button 5 waits for the tick", {560, 430, 280, 215}, 5, [](AppState& s) { s.target_note = 40; },
         [](const AppState& s, const PointerAction&) { EXPECT_EQ(s.target_note, 40); }},
        {"target box plays its key", {150, 360, 100, 180}, 0, [](AppState& s) { s.target_note = 49; },
         [](const AppState&, const PointerAction& a) {
             EXPECT_EQ(a.tone_key, 49);
             EXPECT_EQ(a.tone_ms, 1000);
         }},
        {"automatic target plays nothing", {150, 360, 100, 180}, 0, [](AppState&) {},
         [](const AppState&, const PointerAction& a) { EXPECT_EQ(a.tone_key, 0); }},
    };
    for (const Case& c : cases) {
        for (int size : {0, 1}) {
            auto s = Tuner(size);
            c.before(*s);
            PointerAction a = size ? TunerPress(*s, c.at.hx, c.at.hy, false) : TunerPress(*s, c.at.x, c.at.y, false);
            EXPECT_EQ(s->pressed_button, c.pressed) << c.what << " size " << size;
            c.check(*s, a);
        }
    }
}

TEST(TunerButtons, GuardsAndSizes) {
    auto off = Tuner(0);
    TunerPress(*off, 100, 430, false);  // instrument while the panel is off
    EXPECT_EQ(off->instrument, 0);
    EXPECT_EQ(off->pressed_button, 0);

    auto dialog = Tuner(0);
    PointerAction a = TunerPress(*dialog, 300, 430, true);
    EXPECT_EQ(a.command, 0) << "config does nothing while a tuning dialog is open";

    auto half = Tuner(1);
    TunerPress(*half, 220, 410, false);  // a normal-size box at half size
    EXPECT_EQ(half->pressed_button, 0);

    auto held = Tuner(0);
    held->pressed_button = 4;
    TunerPress(*held, 220, 410, false);  // string up while a step button is held
    EXPECT_EQ(held->string_index, 0);
    EXPECT_TRUE(ReleasePress(*held));
    EXPECT_EQ(held->pressed_button, 0);
    EXPECT_FALSE(ReleasePress(*held));
}

TEST(TunerButtons, HeldRepetition) {
    struct Case {
        int button, start, ticks, expected;
    };
    // The counter runs freely, so the first step comes on the first tick after six have passed.
    for (const Case& c : {Case{1, 3, 30, 1}, Case{5, 86, 30, 88}, Case{4, 0, 6, 1}, Case{5, 0, 6, 5},
                          Case{2, 40, 18, 37}, Case{4, 40, 5, 40}}) {
        auto s = Tuner(0);
        s->target_note = c.start;
        s->pressed_button = c.button;
        for (int t = 0; t < c.ticks; ++t) {
            s->tick_count.fetch_add(1);
            TunerRepeat(*s);
        }
        EXPECT_EQ(s->target_note, c.expected) << "button " << c.button << " from " << c.start;
    }
}

std::unique_ptr<AppState> Metronome(int screen_size) {
    auto s = std::make_unique<AppState>();
    s->current_tool = kToolMetronome;
    s->screen_size = screen_size;
    s->metronome_tempo = 120;
    s->beat_no = 3;
    s->rod_position = 18;
    return s;
}

struct MetronomeCase {
    const char* what;
    Click at;
    int tempo, beat_no;  // before
    int pressed;         // after
    int tempo_after, beat_no_after;
};

// The weight hangs at x 301..341 from y 129 + tempo - 30 down 62 pixels (rod upright).
const MetronomeCase kMetronomeCases[] = {
    {"weight at 120", {320, 230, 160, 115}, 120, 3, 1, 120, 3},
    {"weight at 30", {320, 160, 160, 80}, 30, 3, 1, 30, 3},
    {"weight at 300", {320, 430, 160, 215}, 300, 3, 1, 300, 3},
    {"normal-layout tempo down waits for the tick", {270, 370, 135, 185}, 120, 3, 2, 120, 3},
    {"normal-layout tempo up waits for the tick", {367, 370, 183, 185}, 120, 3, 4, 120, 3},
    {"bar length down", {96, 28, 48, 14}, 120, 3, 20, 120, 2},
    {"bar length down wraps to 5", {96, 28, 48, 14}, 120, 0, 20, 120, 5},
    {"bar length up", {198, 28, 99, 14}, 120, 3, 21, 120, 4},
    {"bar length up wraps to 0", {198, 28, 99, 14}, 120, 5, 21, 120, 0},
    {"bar length up from the file's 6", {198, 28, 99, 14}, 120, 6, 21, 120, 0},
    {"top-row tempo down steps at once", {391, 28, 195, 14}, 120, 3, 30, 119, 3},
    {"top-row tempo down stays at 30", {391, 28, 195, 14}, 30, 3, 30, 30, 3},
    {"top-row tempo up steps at once", {596, 28, 298, 14}, 120, 3, 31, 121, 3},
    {"top-row tempo up stays at 300", {596, 28, 298, 14}, 300, 3, 31, 300, 3},
    {"between the buttons", {150, 28, 75, 14}, 120, 3, 0, 120, 3},
    {"box edges: bar length down's left column", {76, 11, 38, 6}, 120, 3, 20, 120, 2},
    {"box edges: top-row tempo up's bottom right", {617, 46, 308, 22}, 120, 3, 31, 121, 3},
    {"just outside tempo up", {618, 28, 309, 14}, 120, 3, 0, 120, 3},
};

TEST(MetronomeButtons, EachBoxAtBothSizes) {
    for (const MetronomeCase& c : kMetronomeCases) {
        for (int size : {0, 1}) {
            for (int kind = 0; kind < kMetronomeKindCount; ++kind) {
                auto s = Metronome(size);
                s->metronome_kind = kind;  // both tempo pairs answer in every kind
                s->metronome_tempo = c.tempo;
                s->beat_no = c.beat_no;
                int x = size ? c.at.hx : c.at.x, y = size ? c.at.hy : c.at.y;
                PointerAction a = MetronomePress(*s, x, y);
                EXPECT_EQ(s->pressed_button, c.pressed) << c.what << " size " << size << " kind " << kind;
                EXPECT_EQ(a.refresh, c.pressed != 0) << c.what;
                EXPECT_EQ(s->metronome_tempo, c.tempo_after) << c.what << " size " << size;
                EXPECT_EQ(s->beat_no, c.beat_no_after) << c.what << " size " << size;
                if (c.pressed == 1) {
                    EXPECT_EQ(s->last_drag_y, y) << c.what;
                }
            }
        }
    }
}

TEST(MetronomeButtons, NothingWhileRunning) {
    for (const MetronomeCase& c : kMetronomeCases) {
        for (int size : {0, 1}) {
            auto s = Metronome(size);
            s->power_on = 1;
            s->metronome_tempo = c.tempo;
            s->beat_no = c.beat_no;
            PointerAction a = size ? MetronomePress(*s, c.at.hx, c.at.hy) : MetronomePress(*s, c.at.x, c.at.y);
            EXPECT_FALSE(a.refresh) << c.what;
            EXPECT_EQ(s->pressed_button, 0) << c.what;
            EXPECT_EQ(s->metronome_tempo, c.tempo) << c.what;
            EXPECT_EQ(s->beat_no, c.beat_no) << c.what;
        }
    }
}

TEST(MetronomeButtons, NormalSizeBoxesDoNothingAtHalfSize) {
    for (const Click& c : {Click{198, 28, 0, 0}, Click{596, 28, 0, 0}, Click{367, 370, 0, 0}, Click{320, 230, 0, 0}}) {
        auto s = Metronome(1);
        MetronomePress(*s, c.x, c.y);
        EXPECT_EQ(s->pressed_button, 0) << c.x << "," << c.y;
        EXPECT_EQ(s->metronome_tempo, 120);
        EXPECT_EQ(s->beat_no, 3);
    }
}

TEST(MetronomeButtons, WeightTakesPrecedence) {
    // Rod position 15 at 253 bpm puts the weight (x 231..271, y 354..415) over the tempo-down button.
    auto s = Metronome(0);
    s->rod_position = 15;
    s->metronome_tempo = 253;
    MetronomePress(*s, 260, 370);
    EXPECT_EQ(s->pressed_button, 1);
    EXPECT_EQ(s->last_drag_y, 370);
}

TEST(MetronomeButtons, WeightDrag) {
    struct Move {
        int x, y;
        bool refresh;
        int tempo, last_y;  // after the move
    };
    struct Case {
        const char* what;
        int size, tempo, start_y;
        std::vector<Move> moves;
    };
    const Case cases[] = {
        {"down raises the tempo", 0, 120, 230, {{320, 240, true, 130, 240}, {320, 300, true, 190, 300}}},
        {"up lowers it", 0, 120, 230, {{320, 200, true, 90, 200}}},
        {"clamped at 30", 0, 40, 170, {{320, 130, true, 30, 130}, {320, 140, true, 40, 140}}},
        {"clamped at 300", 0, 290, 300, {{320, 398, true, 300, 398}, {305, 390, true, 292, 390}}},
        {"sideways off the column is ignored", 0, 120, 230, {{300, 250, false, 120, 230}, {342, 250, false, 120, 230},
                                                             {341, 250, true, 140, 250}}},
        {"above and below the rod is ignored", 0, 120, 230, {{320, 129, false, 120, 230}, {320, 399, false, 120, 230}}},
        {"half size", 1, 120, 115,
         {{160, 125, true, 130, 125}, {171, 150, false, 130, 125}, {160, 199, false, 130, 125}}},
    };
    for (const Case& c : cases) {
        auto s = Metronome(c.size);
        s->metronome_tempo = c.tempo;
        s->pressed_button = 1;
        s->last_drag_y = c.start_y;
        for (const Move& m : c.moves) {
            EXPECT_EQ(MetronomeDrag(*s, m.x, m.y), m.refresh) << c.what << " to " << m.x << "," << m.y;
            EXPECT_EQ(s->metronome_tempo, m.tempo) << c.what << " to " << m.x << "," << m.y;
            EXPECT_EQ(s->last_drag_y, m.last_y) << c.what;
        }
    }

    // Only a held weight drags, only on the metronome, only while stopped.
    for (auto change : {+[](AppState& s) { s.pressed_button = 0; }, +[](AppState& s) { s.pressed_button = 4; },
                        +[](AppState& s) { s.current_tool = kToolTuner; }, +[](AppState& s) { s.power_on = 1; }}) {
        auto s = Metronome(0);
        s->pressed_button = 1;
        s->last_drag_y = 230;
        change(*s);
        EXPECT_FALSE(MetronomeDrag(*s, 320, 260));
        EXPECT_EQ(s->metronome_tempo, 120);
    }
}

TEST(MetronomeButtons, HeldTempoRepetition) {
    struct Case {
        int button, start, ticks, expected, refreshes;
    };
    // Steps on every sixth tick from a counter at 0.
    for (const Case& c : {Case{2, 120, 18, 117, 3}, Case{30, 120, 18, 117, 3}, Case{4, 120, 18, 123, 3},
                          Case{31, 120, 5, 120, 0}, Case{2, 31, 30, 30, 1}, Case{30, 30, 12, 30, 0},
                          Case{4, 299, 30, 300, 1}, Case{31, 300, 6, 300, 0}, Case{1, 120, 30, 120, 0},
                          Case{20, 120, 30, 120, 0}, Case{21, 120, 30, 120, 0}}) {
        auto s = Metronome(0);
        s->metronome_tempo = c.start;
        s->pressed_button = c.button;
        int refreshes = 0;
        for (int t = 0; t < c.ticks; ++t) {
            s->tick_count.fetch_add(1);
            refreshes += MetronomeRepeat(*s) ? 1 : 0;
        }
        EXPECT_EQ(s->metronome_tempo, c.expected) << "button " << c.button << " from " << c.start;
        EXPECT_EQ(refreshes, c.refreshes) << "button " << c.button << " from " << c.start;
    }

    // Clamped steps still restart the count.
    auto low = Metronome(0);
    low->metronome_tempo = 30;
    low->pressed_button = 2;
    low->tick_count = 6;
    EXPECT_FALSE(MetronomeRepeat(*low));
    EXPECT_EQ(low->tick_count.load(), 0u);

    // Nothing while running or on another screen; the tuner's steps are left alone.
    for (auto change : {+[](AppState& s) { s.power_on = 1; }, +[](AppState& s) { s.current_tool = kToolTuner; }}) {
        auto s = Metronome(0);
        s->pressed_button = 4;
        s->tick_count = 10;
        change(*s);
        EXPECT_FALSE(MetronomeRepeat(*s));
        EXPECT_EQ(s->metronome_tempo, 120);
        EXPECT_EQ(s->tick_count.load(), 10u);
    }
    auto tuner = Tuner(0);
    tuner->target_note = 40;
    tuner->pressed_button = 4;
    tuner->tick_count = 10;
    EXPECT_FALSE(MetronomeRepeat(*tuner));
    EXPECT_TRUE(TunerRepeat(*tuner));
    EXPECT_EQ(tuner->target_note, 41);
}

TEST(MetronomeButtons, TopRowPressThenHold) {
    // The counter runs while nothing is held, so the first held step follows the press at the next tick.
    auto s = Metronome(0);
    s->tick_count = 40;
    MetronomePress(*s, 596, 28);
    EXPECT_EQ(s->metronome_tempo, 121);
    s->tick_count.fetch_add(1);
    EXPECT_TRUE(MetronomeRepeat(*s));
    EXPECT_EQ(s->metronome_tempo, 122);
    EXPECT_TRUE(ReleasePress(*s));
    s->tick_count = 40;
    EXPECT_FALSE(MetronomeRepeat(*s));
    EXPECT_EQ(s->metronome_tempo, 122);
}

TEST(SpectrumStrip, KeysRunLeftToRight) {
    // A 360 x 300 window with 4-pixel frames: the strip is between rows 230 and 265.
    EXPECT_EQ(SpectrumStripKey(360, 300, 5, 240, 4), 1);
    EXPECT_EQ(SpectrumStripKey(360, 300, 355, 240, 4), 88);
    EXPECT_EQ(SpectrumStripKey(360, 300, 180, 240, 4), 1 + static_cast<int>(176 / (352.0 / 88)));
    EXPECT_EQ(SpectrumStripKey(360, 300, 180, 230, 4), 0);
    EXPECT_EQ(SpectrumStripKey(360, 300, 180, 266, 4), 0);
    EXPECT_EQ(SpectrumStripKey(360, 300, 4, 240, 4), 0);
}

}  // namespace
