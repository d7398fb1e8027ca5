// cues.h: cue sheets from files, for the rehearsal tool, on the compiler that
// tangle-cues uses (cue_compile.h). Depends on sync/storyboard.h (the line
// format).
//
// A cue sheet is text, one cue per line:
//     tempo 120            beats per minute (before the first cue)
//     # a comment          (also after a cue)
//     == Title ==          a section heading, for people; ignored
//     12.3  8              bar 12, beat 3 (both from 1): fire key "8"
//     12.3.5  +-           half a beat later: "+", then "-" at the same time
// Several keys on one line fire in the order written.
#pragma once

#include <string>
#include <vector>

#include "cue_compile.h"

struct CueSheet {
    std::vector<Cue> cues;  // sorted by time; equal times keep the written order
    double tempo = 120;     // beats per minute in force at the first cue
};

// Compiles the sheet at `path`. On failure returns false and `error` reads
// "FILE:LINE: what" (or "FILE: what" when the file can't be read).
bool compile_cue_sheet(const std::string& path, CueSheet& sheet, std::string& error);

// Writes the cues as storyboard lines (sync/storyboard.h), the file whole or
// not at all; false with errno set if it can't.
bool write_storyboard(const CueSheet& sheet, const std::string& path);
