// recording.h: turning the show's key recording into a storyboard, behind
// `tangle-storyboard from-recording`.
//
// The recording (filepressedkeys.dat) is appended to by every run of the show
// and the rehearsal, one "seconds key" line per press, with nothing between
// runs. A run is therefore taken to end at a quit key (Escape or "q", which
// end the show), and a new one to start wherever the time goes back (a new
// start of the show after Ctrl-C, or a rehearsal's jump back). Depends on
// nothing but the C++ library.
#pragma once

#include <string>
#include <vector>

struct RecordedPress {
    float seconds;
    unsigned char key;
    int line;  // from 1
    int run;   // from 0, in file order
};

struct Recording {
    std::vector<RecordedPress> presses;  // file order
    std::vector<int> bad_lines;          // lines that are not "seconds key"
    int runs = 0;
};

// Reads the recording's text.
Recording parse_recording(const std::string& text);

// The presses a storyboard replays: those of the last run (all runs when
// `all_runs`), without Escape and "q", in time order (file order within a
// time). `quit_keys_dropped` counts the quit keys left out.
std::vector<RecordedPress> presses_to_replay(const Recording& recording, bool all_runs,
                                             int& quit_keys_dropped);
