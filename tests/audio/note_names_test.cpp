// Note names of the spectrum status line and of the tuner.
#include "audio/note_names.h"

#include <gtest/gtest.h>

namespace {

TEST(NoteNames, SpectrumAndTunerOctaves) {
    const struct {
        int key;
        const char* spectrum;
        const char* tuner;
    } cases[] = {{1, "A-1", "A0"}, {2, "A#-1", "A#0"}, {3, "B-1", "B0"}, {4, "C0", "C1"},
                 {15, "B0", "B1"}, {16, "C1", "C2"},   {40, "C3", "C4"}, {49, "A3", "A4"},
                 {88, "C7", "C8"}, {0, "", ""},        {89, "", ""}};
    for (const auto& c : cases) {
        EXPECT_EQ(SpectrumNoteName(c.key), c.spectrum) << c.key;
        EXPECT_EQ(TunerNoteName(c.key), c.tuner) << c.key;
    }
}

}  // namespace
