// Tuning dialog rules: name offsets, OK, Reset, and the combo-to-string mapping.
#include "display/tunings.h"

#include <gtest/gtest.h>

#include "app/settings.h"

namespace {

std::unique_ptr<AppState> Defaults() {
    auto s = std::make_unique<AppState>();
    s->open_string_keys = kDefaultOpenStringKeys;
    s->guitar_keys = kDefaultGuitarKeys;
    s->bass_keys = kDefaultBassKeys;
    s->ukulele_keys = kDefaultUkuleleKeys;
    s->shamisen_keys = kDefaultShamisenKeys;
    return s;
}

TEST(Tunings, NameOffset) {
    const struct {
        int chosen, def, offset;
    } cases[] = {{5, 4, 1}, {2, 4, -2}, {10, 4, 6}, {11, 4, -5}, {0, 11, 1}, {5, 11, 6}};
    for (const auto& c : cases) EXPECT_EQ(NameOffset(c.chosen, c.def), c.offset) << c.chosen << " from " << c.def;
}

TEST(Tunings, GuitarTopComboTargets) {
    const std::pair<int, int> cases[] = {{5, 21}, {10, 26}, {11, 15}, {4, 20}};
    for (auto [name, target] : cases) {
        auto s = Defaults();
        std::array<int, kMaxStrings> selections = {name, 9, 2, 7, 11, 4};
        ApplyTuningSelections(*s, 0, selections);
        EXPECT_EQ(s->open_string_keys[0][0], target) << NoteNameList()[name];
        EXPECT_EQ(s->guitar_keys[0], name);
        EXPECT_EQ(s->open_string_keys[0][1], 25);
    }
}

TEST(Tunings, EveryDefaultComboNamesItsTarget) {
    // Each combo's default letter is the letter of the open string it edits.
    for (int instrument = 0; instrument < kInstrumentCount; ++instrument) {
        for (int combo = 0; combo < StringCount(instrument); ++combo) {
            int key = kDefaultOpenStringKeys[instrument][StringIndexOfCombo(instrument, combo)];
            int pitch_class = (key + 8) % 12;  // key 4 is a C
            EXPECT_EQ(DefaultNameOfCombo(instrument, combo), pitch_class) << instrument << "/" << combo;
        }
    }
    EXPECT_EQ(StringIndexOfCombo(1, 0), 3) << "the bass lists G first";
}

TEST(Tunings, OkTwiceWithoutChangesKeepsTargets) {
    auto s = Defaults();
    s->open_string_keys[2][1] = 41;
    s->ukulele_keys[1] = 1;  // Db chosen for the C string
    std::array<int, kMaxStrings> same = {7, 1, 4, 9, 0, 0};
    ApplyTuningSelections(*s, 2, same);
    ApplyTuningSelections(*s, 2, same);
    EXPECT_EQ(s->open_string_keys[2][1], 41);
    EXPECT_EQ(s->open_string_keys[2][0], 47);
}

TEST(Tunings, BassComboEditsItsString) {
    auto s = Defaults();
    std::array<int, kMaxStrings> selections = {7, 2, 9, 5, 0, 0};  // bottom combo E -> F
    ApplyTuningSelections(*s, 1, selections);
    EXPECT_EQ(s->open_string_keys[1][0], 9);
    EXPECT_EQ(s->open_string_keys[1][3], 23);
}

TEST(Tunings, ResetRestoresNamesOnly) {
    auto s = Defaults();
    s->open_string_keys[0][0] = 21;
    s->guitar_keys[0] = 5;
    ResetTuningSelections(*s, 0);
    EXPECT_EQ(s->guitar_keys, kDefaultGuitarKeys);
    EXPECT_EQ(s->open_string_keys[0][0], 21) << "targets wait for OK";
}

TEST(Tunings, TargetFromTuning) {
    auto s = Defaults();
    s->instrument = 2;
    s->string_index = 3;
    SetTargetFromTuning(*s);
    EXPECT_EQ(s->target_note, 49);
}

}  // namespace
