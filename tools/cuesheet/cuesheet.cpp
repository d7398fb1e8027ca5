// cuesheet.cpp: tangle-cues, turns a readable cue sheet (cues.h) into a
// storyboard: the format "%f %c\n" sorted by time, so also a file a person
// can edit or re-record.
//   tangle-cues SHEET OUT
#include <cstdio>
#include <string>

#include "cues.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: tangle-cues SHEET OUT\n");
        return 2;
    }
    CueSheet sheet;
    std::string error;
    if (!compile_cue_sheet(argv[1], sheet, error)) {
        std::fprintf(stderr, "tangle-cues: %s\n", error.c_str());
        return 1;
    }
    if (!write_storyboard(sheet, argv[2])) {
        std::fprintf(stderr, "tangle-cues: %s: can't write the storyboard\n", argv[2]);
        return 1;
    }
    std::fprintf(stderr, "tangle-cues: %zu cues written to %s\n", sheet.cues.size(), argv[2]);
    return 0;
}
