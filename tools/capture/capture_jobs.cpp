// capture_jobs.cpp: pieces as child processes of the capture tool itself,
// their progress read from a pipe each, joined by ffmpeg's concat demuxer.
#include "capture_jobs.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <poll.h>

#include <set>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

#include "capture_output.h"
#include "contact_sheet.h"
#include "cost_plot.h"
#include "progress.h"

namespace {

struct Piece {
    long first = 0, end = 0;  // its frames, end excluded (end < 0: the show's end)
    std::string base;         // where its files go
    pid_t pid = -1;
    int progress_fd = -1;
    std::string pending;  // progress text not yet ended by a newline
    long written = 0;
    int status = -1;
};

std::string number_text(double v) {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", v);
    return text;
}

// Starts one piece: this same program with the piece's range and a pipe for
// its progress, one line per frame written.
bool start_piece(Piece& piece, const JobsRequest& r, int threads, const std::string& range) {
    int fds[2];
    if (pipe(fds) != 0) return false;
    std::vector<std::string> args = {"tangle-capture"};
    args.insert(args.end(), r.piece_arguments.begin(), r.piece_arguments.end());
    args.insert(args.end(), {"--jobs", "1", "--from", number_text(piece.first / r.fps), "--piece", piece.base,
                             "--range", range, "--progress-fd", std::to_string(fds[1])});
    if (piece.end >= 0) args.insert(args.end(), {"--to", number_text(piece.end / r.fps)});
    if (!r.out.empty()) args.push_back("--piece-video");
    if (!r.contact_sheet.empty()) args.push_back("--piece-sheet");
    if (r.report) args.push_back("--report");
    std::fflush(nullptr);
    piece.pid = fork();
    if (piece.pid == 0) {
        close(fds[0]);
        // Every piece reads the same data and would say the same things about
        // it: the parent passes each line on once (say_once).
        int err = open((piece.base + ".err").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (err >= 0) dup2(err, 2), close(err);
        if (!std::getenv("LP_NUM_THREADS")) setenv("LP_NUM_THREADS", std::to_string(threads).c_str(), 1);
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        execv("/proc/self/exe", argv.data());
        std::fprintf(stderr, "tangle: /proc/self/exe: can't start a capture piece: %s\n",
                     std::strerror(errno));
        _exit(127);
    }
    close(fds[1]);
    if (piece.pid < 0) {
        close(fds[0]);
        return false;
    }
    piece.progress_fd = fds[0];
    return true;
}

// The pieces' messages, in piece order, each distinct line once.
void say_once(const std::vector<Piece>& pieces) {
    std::set<std::string> said;
    for (const Piece& p : pieces) {
        std::FILE* f = std::fopen((p.base + ".err").c_str(), "r");
        if (!f) continue;
        std::string line;
        for (int c; (c = std::fgetc(f)) != EOF;) {
            line += static_cast<char>(c);
            if (c != '\n') continue;
            if (said.insert(line).second) std::fputs(line.c_str(), stderr);
            line.clear();
        }
        if (!line.empty() && said.insert(line).second) std::fprintf(stderr, "%s\n", line.c_str());
        std::fclose(f);
    }
}

void read_progress(Piece& piece) {
    char buffer[4096];
    ssize_t n = read(piece.progress_fd, buffer, sizeof buffer);
    if (n <= 0) {
        close(piece.progress_fd);
        piece.progress_fd = -1;
        return;
    }
    piece.pending.append(buffer, static_cast<size_t>(n));
    size_t line;
    while ((line = piece.pending.find('\n')) != std::string::npos) {
        piece.written++;
        piece.pending.erase(0, line + 1);
    }
}

// The share of the work done: each piece's frames weighed by what that part
// of the show costs.
double work_done(const std::vector<Piece>& pieces, const JobsRequest& r, double end_seconds) {
    double done = 0;
    for (const Piece& p : pieces) done += show_work(p.first / r.fps, (p.first + p.written) / r.fps);
    return done / std::max(1e-9, show_work(r.from, end_seconds));
}

// Pieces that follow each other without a gap: an unfinished piece ends a
// run, and the next piece with frames starts another.
std::vector<std::vector<const Piece*>> contiguous_runs(const std::vector<Piece>& pieces) {
    std::vector<std::vector<const Piece*>> runs(1);
    for (const Piece& p : pieces) {
        if (p.first == p.end) continue;  // more pieces than frames
        if (p.written > 0) runs.back().push_back(&p);
        if (p.written == 0 || (p.end >= 0 && p.written < p.end - p.first))
            if (!runs.back().empty()) runs.emplace_back();
    }
    if (runs.back().empty()) runs.pop_back();
    return runs;
}

// tangle.mp4, then tangle.part2.mp4, tangle.part3.mp4... for later runs.
std::string run_file(const std::string& out, size_t run) {
    if (run == 0) return out;
    const size_t slash = out.find_last_of('/'), dot = out.find_last_of('.');
    const size_t at =
        dot != std::string::npos && (slash == std::string::npos || dot > slash) ? dot : out.size();
    return out.substr(0, at) + ".part" + std::to_string(run + 1) + out.substr(at);
}

}  // namespace

std::vector<long> split_frames(long first, long end, long jobs) {
    std::vector<long> bounds;
    long count = std::max(0L, end - first);
    for (long i = 0; i <= jobs; i++) bounds.push_back(first + count * i / jobs);
    return bounds;
}

int threads_per_job(int cores, long jobs) {
    return std::max(1, static_cast<int>(cores / std::max(1L, jobs)));
}

long first_frame_at(double seconds, double fps) { return std::lround(std::ceil(seconds * fps - 1e-9)); }

int capture_in_pieces(const JobsRequest& r, volatile sig_atomic_t& interrupted) {
    char work_template[] = "/tmp/tangle-capture-XXXXXX";
    if (!mkdtemp(work_template)) {
        std::fprintf(stderr, "tangle: /tmp: can't make a folder for the pieces\n");
        return 1;
    }
    std::string work = work_template;
    long first = first_frame_at(r.from, r.fps);
    long end = first_frame_at(r.to >= 0 ? r.to : r.estimated_end, r.fps);
    std::vector<long> bounds = split_frames(first, end, r.jobs);
    std::vector<Piece> pieces(static_cast<size_t>(r.jobs));
    std::string range = number_text(r.from) + ":" + number_text(r.to);
    int threads = threads_per_job(static_cast<int>(sysconf(_SC_NPROCESSORS_ONLN)), r.jobs);
    for (size_t i = 0; i < pieces.size(); i++) {
        pieces[i].first = bounds[i];
        // Without --to the last piece runs to the show's own end.
        pieces[i].end = (i + 1 == pieces.size() && r.to < 0) ? -1 : bounds[i + 1];
        pieces[i].base = work + "/piece" + std::to_string(i);
        if (pieces[i].first == pieces[i].end) continue;
        if (!start_piece(pieces[i], r, threads, range))
            std::fprintf(stderr, "tangle: can't start capture piece %zu\n", i + 1);
    }

    auto start = std::chrono::steady_clock::now();
    bool forwarded = false;
    for (;;) {
        std::vector<pollfd> fds;
        for (Piece& p : pieces)
            if (p.progress_fd >= 0) fds.push_back({p.progress_fd, POLLIN, 0});
        if (fds.empty()) break;
        if (interrupted && !forwarded) {
            // Each piece finishes its files, as a capture in one piece does.
            for (Piece& p : pieces)
                if (p.pid > 0) kill(p.pid, SIGTERM);
            forwarded = true;
        }
        int ready = poll(fds.data(), fds.size(), 500);
        if (ready > 0)
            for (Piece& p : pieces)
                for (const pollfd& f : fds)
                    if (f.fd == p.progress_fd && p.progress_fd >= 0 && (f.revents & (POLLIN | POLLHUP)))
                        read_progress(p);
        long written = 0;
        for (const Piece& p : pieces) written += p.written;
        double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        show_capture_progress(work_done(pieces, r, end / r.fps), elapsed, -1, 0, false);
    }
    bool failed = false;
    for (Piece& p : pieces) {
        if (p.pid <= 0) continue;
        int status = 0;
        while (waitpid(p.pid, &status, 0) < 0 && errno == EINTR) {
        }
        p.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        if (p.status != 0 && p.status != 130 && p.status != 143) failed = true;
    }
    double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const std::vector<std::vector<const Piece*>> runs = contiguous_runs(pieces);
    // The show's end is known once the last piece has run to it.
    const Piece* last = nullptr;
    for (const Piece& p : pieces)
        if (p.first != p.end) last = &p;
    const bool complete = runs.size() == 1 && runs[0].back() == last &&
                          (last->end < 0 ? last->status == 0 : last->written == last->end - last->first);
    show_capture_progress(complete ? 1.0 : work_done(pieces, r, end / r.fps), elapsed, -1, 0, true);
    std::fputc('\n', stderr);
    say_once(pieces);

    long frames = 0;
    std::string spans;
    for (size_t i = 0; i < runs.size(); ++i) {
        long run_frames = 0;
        for (const Piece* p : runs[i]) run_frames += p->written;
        frames += run_frames;
        const double from = runs[i].front()->first / r.fps, to = from + run_frames / r.fps;
        const std::string file = r.out.empty() ? "" : run_file(r.out, i);
        if (!r.out.empty()) {
            std::vector<std::string> videos;
            for (const Piece* p : runs[i]) videos.push_back(p->base + ".video.mkv");
            // The last piece of a run played the music from the start to its end.
            if (video_join(videos, runs[i].back()->base + ".audio.wav", from, to, file))
                std::fprintf(stderr, "tangle: wrote %s (%ld frames)\n", file.c_str(), run_frames);
            else
                failed = true;
        }
        // Which file holds which stretch, where there are several.
        const bool named = runs.size() > 1 && !file.empty();
        const char* joint = i == 0 ? "" : i + 1 == runs.size() ? " and " : ", ";
        spans += joint + span_text(from) + " to " + span_text(to) +
                 (named ? " in " + file.substr(file.find_last_of('/') + 1) : "");
    }
    if (runs.size() > 1) spans += ",";
    if (!complete && !spans.empty())
        std::fprintf(stderr, "tangle: partial: %s of %s%s; run again to capture it all\n", spans.c_str(),
                     r.to >= 0 ? "" : "about ", span_text(r.to >= 0 ? r.to : r.estimated_end).c_str());
    std::vector<const Piece*> used;
    for (const std::vector<const Piece*>& run : runs) used.insert(used.end(), run.begin(), run.end());
    if (!r.contact_sheet.empty()) {
        for (const Piece* p : used) contact_sheet_load(p->base + ".sheet");
        if (contact_sheet_write(r.contact_sheet, r.font_path))
            std::fprintf(stderr, "tangle: wrote %s\n", r.contact_sheet.c_str());
    }
    if (r.report) {
        for (const Piece* p : used) report_load(p->base + ".report");
        report_print(elapsed, frames);
    }
    for (const Piece& p : pieces)
        for (const char* suffix : {".video.mkv", ".audio.wav", ".sheet", ".report", ".err"})
            unlink((p.base + suffix).c_str());
    rmdir(work.c_str());
    if (failed) return 1;
    return interrupted ? 128 + static_cast<int>(interrupted) : 0;
}
