// Reading the command line into the launch mode and the metronome-only tempo and beat.
#ifndef HARMOLAB_APP_COMMAND_LINE_H
#define HARMOLAB_APP_COMMAND_LINE_H

#include <string>
#include <vector>

struct LaunchOptions {
    int launch_mode = -1;      // -1 all tools, 0 spectrum, 1 tuner, 2 metronome only
    int metronome_tempo = 30;  // beats per minute, 30..300; 30 when no tempo is given
    int beat_no = 0;           // bar-length index, 0..6
};

// args[0] is the program itself. Argument 1 picks the mode (outside 0..2: all tools); in
// metronome-only mode argument 2 is the tempo (clamped to 30..300) and argument 3 the beat
// (outside 0..6: 0). Everything else is ignored.
LaunchOptions ParseCommandLine(const std::vector<std::string>& args);

#endif
