// capture_options.h: tangle-capture's command line, read into one record.
//
// Depends on driver.h for the driver's part of the options (a plain record;
// nothing here touches the display or the show). Reading never exits and
// never queues anything, so the parser can run on any input, fuzzed included;
// the tool acts on the result.
#pragma once

#include <string>
#include <vector>

#include "driver.h"

// The longest range a capture may ask for, in seconds of music: a show whose
// music never reaches its finale ends there too.
constexpr double capture_max_seconds = 1800;

struct CapturePress {
    double seconds;
    unsigned char key;
};

struct CaptureOptions {
    DriverOptions driver;
    double from = 0, to = -1;  // to < 0: the main show plus 60 s of credits
    std::string out, frames_dir, contact_sheet;
    std::string report_plot;
    long every = 1;
    bool report = false;
    bool draw_all = false;  // draw the frames before --from too (to check fast-forward)
    long jobs = -1;         // -1: one per core
    std::vector<CapturePress> presses;
    bool data_named = false;  // --data was given (so a folder that can't be read is a usage error)
    // A piece of a capture in several processes (capture_jobs.h): the files
    // go beside `piece`, numbering and sampling follow the whole range.
    std::string piece;
    bool piece_video = false, piece_sheet = false;
    double range_from = -1, range_to = -1;
    int progress_fd = -1;
    std::vector<std::string> piece_arguments;  // what each piece is given
};

enum class ParseOutcome { run, help, bad };

// Reads argv[1..argc-1] into `options` (relative paths made absolute against
// the working directory). On `bad`, `problem` says what is wrong.
ParseOutcome parse_capture_options(int argc, char** argv, CaptureOptions& options, std::string& problem);
