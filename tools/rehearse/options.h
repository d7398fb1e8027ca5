// options.h: the rehearsal's command line.
//   tangle-rehearse [--data DIR] [--from S] [--loop A:B] [--storyboard FILE]
//                   [--cues FILE.cues] [--window WxH]
#pragma once

#include <string>

struct RehearseOptions {
    std::string data_dir = ".";
    double from = -1;  // negative: not given
    bool loop = false;
    double loop_start = 0, loop_end = 0;
    std::string storyboard;                   // "" = the data folder's keys.dat
    std::string cues;                         // a cue sheet instead of a storyboard
    int window_width = 0, window_height = 0;  // 0: full screen
    bool help = false;                        // --help: say what the tool takes, and stop
};

// What --help prints: every option with its default.
extern const char* const rehearse_help;

// False, with `error` saying why, for anything it can't take.
bool parse_rehearse_options(int argc, char** argv, RehearseOptions& options, std::string& error);

// Where the rehearsal starts: --from, else the loop's start, else 0.
double start_seconds(const RehearseOptions& options);
