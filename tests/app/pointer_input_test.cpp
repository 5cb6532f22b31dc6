// Tuner buttons at both sizes, held repetition, and the spectrum's keyboard strip.
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
