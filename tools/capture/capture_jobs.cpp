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

void show_progress(double done, double elapsed, bool last) {
    static double shown = -1;
    double interval = isatty(2) ? 0.5 : 10;
    if (!last && elapsed - shown < interval) return;
    shown = elapsed;
    done = std::clamp(done, 0.0, 1.0);
    double eta = done > 0 ? elapsed * (1 - done) / done : 0;
    int bar = static_cast<int>(done * 30);
    std::fprintf(stderr, "\r[%.*s%*s] %5.1f%%  ETA %d:%02d ", bar, "##############################", 30 - bar,
                 "", done * 100, static_cast<int>(eta) / 60, static_cast<int>(eta) % 60);
    if (!isatty(2)) std::fputc('\n', stderr);
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
        show_progress(static_cast<double>(written) / std::max(1L, end - first), elapsed, false);
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
    long written = 0;
    for (const Piece& p : pieces) written += p.written;
    double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    show_progress(static_cast<double>(written) / std::max(1L, end - first), elapsed, true);
    std::fputc('\n', stderr);
    say_once(pieces);

    // Only the pieces that follow each other without a gap make the capture:
    // an interrupted piece ends it.
    std::vector<const Piece*> used;
    for (const Piece& p : pieces) {
        if (p.first == p.end) continue;  // more pieces than frames
        if (p.written == 0) break;
        used.push_back(&p);
        if (p.end >= 0 && p.written < p.end - p.first) break;
    }
    long frames = 0;
    for (const Piece* p : used) frames += p->written;
    if (!r.out.empty() && !used.empty()) {
        std::vector<std::string> videos;
        for (const Piece* p : used) videos.push_back(p->base + ".video.mkv");
        double to = r.from + frames / r.fps;
        // The last piece used played the music from the start to its end.
        if (video_join(videos, used.back()->base + ".audio.wav", r.from, to, r.out))
            std::fprintf(stderr, "tangle: wrote %s (%ld frames)\n", r.out.c_str(), frames);
        else
            failed = true;
    }
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
