// Launch mode, tempo and beat from the program's arguments.
#include "app/command_line.h"

#include <algorithm>

#include "app/app_state.h"
#include "app/text_number.h"

LaunchOptions ParseCommandLine(const std::vector<std::string>& args) {
    LaunchOptions options;
    if (args.size() < 2) return options;

    int mode = ParseLeadingInt(args[1]);
    options.launch_mode = (mode < 0 || mode > 2) ? kLaunchAllTools : mode;
    if (options.launch_mode != kToolMetronome) return options;

    if (args.size() > 2) options.metronome_tempo = std::clamp(ParseLeadingInt(args[2]), kMinTempo, kMaxTempo);
    if (args.size() > 3) {
        int beat = ParseLeadingInt(args[3]);
        options.beat_no = (beat < 0 || beat > 6) ? 0 : beat;
    }
    return options;
}
