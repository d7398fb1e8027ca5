// options.cpp: parsing the rehearsal's command line (see options.h).
#include "options.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "core/demo_state.h"

namespace {

// The main music and its clock stop at the finale: a moment past it is
// never reached, and stepping toward one would never end.
constexpr double last_second = finale_time / 10.0;

// A number of seconds within the show: 0 to the finale.
bool seconds_from(const std::string& text, double& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return *end == 0 && std::isfinite(value) && value >= 0 && value <= last_second;
}

// Larger windows than GL draws into or X accepts end on an X error.
constexpr int largest_window_side = 8192;

}  // namespace

const char* const rehearse_help =
    "usage: tangle-rehearse [--data DIR] [--from S] [--loop A:B] [--storyboard FILE]\n"
    "                       [--cues FILE.cues] [--window WxH]\n"
    "Plays the live show, music and key commands, from any moment, and reloads the\n"
    "storyboard whenever its file changes.\n"
    "\n"
    "  --data DIR          the show's data folder (default: the working directory)\n"
    "  --from S            start at S seconds, every storyboard record before S fired\n"
    "                      (default: the loop's start, else 0)\n"
    "  --loop A:B          jump back to A seconds whenever the music reaches B (default: no loop)\n"
    "  --storyboard FILE   the storyboard to play and watch (default: keys.dat in the data folder)\n"
    "  --cues FILE.cues    a cue sheet instead, compiled on every change (default: none)\n"
    "  --window WxH        a window of W x H pixels (default: the full screen)\n"
    "  --help, -h          this text\n"
    "\n"
    "Keys: Space pause, Left/Right a bar back/forward, Home to the start, F1 overlay,\n"
    "F5 reload, Escape or q end; every other key does what it does in the show.\n";

bool parse_rehearse_options(int argc, char** argv, RehearseOptions& o, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (name == "--help" || name == "-h") {
            o.help = true;
            return true;
        }
        if (name != "--data" && name != "--from" && name != "--loop" && name != "--storyboard" &&
            name != "--cues" && name != "--window") {
            error = "unknown option " + name;
            return false;
        }
        if (i + 1 >= argc) {
            error = name + " needs a value";
            return false;
        }
        const std::string value = argv[++i];
        if (name == "--data") {
            o.data_dir = value;
        } else if (name == "--from") {
            if (!seconds_from(value, o.from)) {
                error = "--from needs seconds from 0 to the finale at 181, not \"" + value + "\"";
                return false;
            }
        } else if (name == "--loop") {
            const size_t colon = value.find(':');
            o.loop = colon != std::string::npos && seconds_from(value.substr(0, colon), o.loop_start) &&
                     seconds_from(value.substr(colon + 1), o.loop_end) && o.loop_start < o.loop_end;
            if (!o.loop) {
                error = "--loop needs A:B, seconds from 0 to the finale at 181 with A before B, not \"" +
                        value + "\"";
                return false;
            }
        } else if (name == "--storyboard") {
            o.storyboard = value;
        } else if (name == "--cues") {
            o.cues = value;
        } else {
            char x = 0, tail = 0;
            if (std::sscanf(value.c_str(), "%d%c%d%c", &o.window_width, &x, &o.window_height, &tail) != 3 ||
                x != 'x' || o.window_width < 1 || o.window_height < 1 ||
                o.window_width > largest_window_side || o.window_height > largest_window_side) {
                error = "--window needs WIDTHxHEIGHT in pixels, 1 to 8192 each, not \"" + value + "\"";
                return false;
            }
        }
    }
    if (!o.storyboard.empty() && !o.cues.empty()) {
        error = "--storyboard and --cues both name the storyboard; give one";
        return false;
    }
    return true;
}

double start_seconds(const RehearseOptions& o) {
    if (o.from >= 0) return o.from;
    return o.loop ? o.loop_start : 0;
}
