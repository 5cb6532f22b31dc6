// Launch mode, tempo and beat from the command line.
#include "app/command_line.h"

#include <gtest/gtest.h>

namespace {

struct CommandLineCase {
    std::vector<std::string> args;
    int launch_mode;
    int tempo;
    int beat;
};

TEST(CommandLine, ModesTempoAndBeat) {
    const CommandLineCase cases[] = {
        {{"Harmolab.exe"}, -1, 30, 0},
        {{"Harmolab.exe", "3"}, -1, 30, 0},
        {{"Harmolab.exe", "-5"}, -1, 30, 0},
        {{"Harmolab.exe", "abc"}, 0, 30, 0},
        {{"Harmolab.exe", "0"}, 0, 30, 0},
        {{"Harmolab.exe", "1", "120", "3"}, 1, 30, 0},
        {{"Harmolab.exe", "2", "20", "9"}, 2, 30, 0},
        {{"Harmolab.exe", "2", "400", "6"}, 2, 300, 6},
        {{"Harmolab.exe", "2", "120", "-1"}, 2, 120, 0},
        {{"Harmolab.exe", "2", "120", "4", "extra"}, 2, 120, 4},
        {{"Harmolab.exe", "2"}, 2, 30, 0},
        {{"Harmolab.exe", "2", "fast"}, 2, 30, 0},
        {{"Harmolab.exe", "2", "99999999999999"}, 2, 300, 0},
        {{"Harmolab.exe", "+2", " 150x"}, 2, 150, 0},
        {{"Harmolab.exe", "-99999999999999"}, -1, 30, 0},
    };
    for (const CommandLineCase& c : cases) {
        std::string label;
        for (const std::string& a : c.args) label += a + " ";
        LaunchOptions options = ParseCommandLine(c.args);
        EXPECT_EQ(options.launch_mode, c.launch_mode) << label;
        EXPECT_EQ(options.metronome_tempo, c.tempo) << label;
        EXPECT_EQ(options.beat_no, c.beat) << label;
    }
}

TEST(CommandLine, NoArgumentsAtAll) {
    LaunchOptions options = ParseCommandLine({});
    EXPECT_EQ(options.launch_mode, -1);
}

}  // namespace
