// cuesheet.cpp: tangle-cues, turns a readable cue sheet into a storyboard.
//
// A cue sheet is text, one cue per line:
//     tempo 120            beats per minute (before the first cue)
//     # a comment          (also after a cue)
//     == Title ==          a section heading, for people; ignored
//     12.3  8              bar 12, beat 3 (both from 1): fire key "8"
//     12.3.5  +-           half a beat later: "+", then "-" at the same time
// Several keys on one line fire in the order written. The output is the
// storyboard format "%f %c\n" sorted by time, so it is also a file a person
// can edit or re-record.
//   tangle-cues SHEET OUT
// OUT is never the sheet itself, and is written whole or not at all: the
// records go to a temporary file beside it that then takes its name.
// Depends on cues.h and sync/storyboard.h (how many records the show reads).
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "core/input_file.h"
#include "cues.h"
#include "sync/storyboard.h"

namespace {

[[noreturn]] void fail(const std::string& where, const std::string& what, int status = 1) {
    std::fprintf(stderr, "tangle-cues: %s: %s\n", printable(where).c_str(), what.c_str());
    std::exit(status);
}

bool same_file(const char* a, const char* b) {
    struct stat sa, sb;
    return stat(a, &sa) == 0 && stat(b, &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

}  // namespace

int main(int argc, char** argv) {
    // Before anything opens a file: a closed standard descriptor must not be reused.
    make_standard_descriptors_safe();
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(
            "usage: tangle-cues SHEET OUT\n"
            "Compiles a cue sheet (tempo, bars and beats, keys) into a storyboard, lines\n"
            "\"seconds key\" sorted by time, written whole to OUT or not at all.\n"
            "No options but --help; OUT is never the sheet itself.\n"
            "Exit status 0: written; 1: the sheet has an error (file:line on stderr) or\n"
            "OUT can't be written; 2: the command line is wrong.\n",
            stdout);
        return 0;
    }
    if (argc != 3) {
        std::fprintf(stderr, "usage: tangle-cues SHEET OUT (--help for more)\n");
        return 2;
    }
    const std::string sheet = argv[1], out_path = argv[2];
    if (same_file(argv[1], argv[2])) fail(out_path, "is the cue sheet itself; not written over", 2);
    CueSheet compiled;
    std::string error;
    if (!compile_cue_sheet(sheet, compiled, error)) {
        std::fprintf(stderr, "tangle-cues: %s\n", error.c_str());
        return 1;
    }
    const std::vector<Cue>& cues = compiled.cues;
    if (cues.size() > static_cast<size_t>(storyboard_capacity))
        std::fprintf(
            stderr,
            "tangle-cues: warning: %zu cues, but the show reads only the first %d records; the last %zu "
            "never fire\n",
            cues.size(), storyboard_capacity, cues.size() - storyboard_capacity);

    if (!write_storyboard(compiled, out_path))
        fail(out_path, std::string("can't write the storyboard: ") + std::strerror(errno));
    std::fprintf(stderr, "tangle-cues: %zu cues written to %s\n", cues.size(), printable(out_path).c_str());
    return 0;
}
