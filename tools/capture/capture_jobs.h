// capture_jobs.h: one capture split over several processes. Each piece is the
// same tool on a part of the range: it fast-forwards to its start, draws and
// encodes its frames and writes its audio, thumbnails and timings beside them;
// the parent shows one progress bar, then joins the pieces without encoding
// them again and adds the soundtrack. Interrupted, it keeps every frame the
// pieces finished: each stretch without a gap is a file of its own (the
// first under the name asked for, then NAME.part2.mp4 and on).
#pragma once

#include <csignal>
#include <string>
#include <vector>

// Where a capture without --to is taken to end until it sees the finale
// switch (then a minute of credits after it): the finale near 181 s, the
// credits' minute and a few seconds to spare.
constexpr double capture_default_end = 245;

struct JobsRequest {
    std::vector<std::string> piece_arguments;  // what every piece is given
    double fps = 60;
    double from = 0, to = -1;  // to < 0: the show's own end
    double estimated_end = capture_default_end;
    long jobs = 2;
    std::string out, contact_sheet, font_path;
    bool report = false;
};

// Frame boundaries of `jobs` pieces over frames first..end-1 (jobs + 1 values,
// first and end included), as even as whole frames allow.
std::vector<long> split_frames(long first, long end, long jobs);
// llvmpipe threads for each of `jobs` pieces on `cores` cores: a fair share.
int threads_per_job(int cores, long jobs);
// The frame index of the first frame at or after `seconds`.
long first_frame_at(double seconds, double fps);

// Runs the capture in pieces; returns the exit status. `interrupted` is set by
// the caller's signal handler, and the signal number goes in `signal_number`.
int capture_in_pieces(const JobsRequest& request, volatile sig_atomic_t& interrupted);
