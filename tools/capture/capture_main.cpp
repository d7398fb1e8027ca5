// capture_main.cpp: tangle-capture, the show rendered frame by frame to video,
// PNG frames and a contact sheet, with the soundtrack that played.
//
// Every frame from 0 on is simulated (the show's state depends on all frames
// before it); those before --from are fast-forwarded, with nothing
// rasterised, and those from --from on are drawn and written. --jobs splits
// the range over several processes of this same tool (capture_jobs.h).
// Ctrl-C, SIGTERM, and a storyboard command that ends the show finish the
// files written so far.
#include <GL/glew.h>
#include <GL/freeglut.h>

#include <chrono>
#include <climits>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>

#include <fcntl.h>
#include <signal.h>

#include <string>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

#include "app/frame.h"
#include "app/seek.h"
#include "audio/music.h"
#include "capture_jobs.h"
#include "capture_options.h"
#include "capture_output.h"
#include "contact_sheet.h"
#include "core/demo_state.h"
#include "core/draw_stats.h"
#include "core/input_file.h"
#include "cost_plot.h"
#include "driver.h"
#include "framing.h"
#include "png_file.h"
#include "progress.h"

namespace {

CaptureOptions options;
std::string wav_path;
volatile sig_atomic_t interrupted = 0;  // the signal that asked to stop
pid_t xvfb_pid = 0;
bool finished = false;
bool failed = false;  // an output could not be written: the capture ends with status 1
long frames_written = 0;
std::chrono::steady_clock::time_point wall_start;
long frames_run = 0;
double show_end = capture_default_end;  // where the capture would have ended: --to, or the credits' end

const char* const usage_text =
    "usage: tangle-capture [--data DIR] [--fps N] [--from S] [--to S] [--seed N]\n"
    "                      [--storyboard FILE] [--press S:KEY]... [--out FILE.mp4]\n"
    "                      [--frames DIR] [--every K] [--contact-sheet FILE.png] [--report]\n"
    "                      [--report-plot FILE.png] [--jobs N] [--draw-all]\n"
    "KEY is one character, \"Escape\", or a key code 27..122 written as #NN.\n";

const char* const help_text =
    "Renders the show frame by frame (frame k shows the music at k / fps seconds)\n"
    "to H.264 video with its soundtrack, PNG frames, a contact sheet or a frame-time\n"
    "report. Needs no display: without one it starts its own Xvfb.\n"
    "\n"
    "  --data DIR              the show's data folder (default: the working directory)\n"
    "  --fps N                 frames per second, above 0, at most 1000 (default: 60)\n"
    "  --from S                first second kept; earlier frames are only stepped (default: 0)\n"
    "  --to S                  stop at S seconds (default: the finale plus 60 s of credits, about 4:05)\n"
    "  --seed N                the show's generator seed (default: 1)\n"
    "  --storyboard FILE       the storyboard (default: keys.dat in the data folder)\n"
    "  --press S:KEY           a live key press at S seconds; repeatable (default: none)\n"
    "  --out FILE.mp4          the video with its soundtrack (default: none)\n"
    "  --frames DIR            PNG frames, frame_NNNNNN.png (default: none)\n"
    "  --every K               with --frames, keep every K-th frame (default: 1)\n"
    "  --contact-sheet FILE    48 thumbnails of the range on one PNG (default: none)\n"
    "  --report                frame times and framing by section on stderr (default: off)\n"
    "  --report-plot FILE.png  where --report plots its times (default: tangle-report.png)\n"
    "  --jobs N                processes to split the range over, 1 to 64 (default: one per core)\n"
    "  --draw-all              draw every frame, also those only stepped (default: off)\n"
    "  --help, -h              this text\n"
    "--piece, --piece-video, --piece-sheet, --range and --progress-fd are given by\n"
    "--jobs to its own pieces, not by hand.\n"
    "\n"
    "Ctrl-C or SIGTERM finishes the files so far and says what they hold (status 130\n"
    "or 143). Status 1: an output can't be written; 2: a bad option or input.\n";

[[noreturn]] void usage(const char* problem) {
    if (problem) {
        std::fprintf(stderr, "tangle-capture: %s\n%s", problem, usage_text);
        std::exit(2);
    }
    std::fputs(usage_text, stdout);
    std::fputs(help_text, stdout);
    std::exit(0);
}

void parse_arguments(int argc, char** argv) {
    std::string problem;
    ParseOutcome outcome = parse_capture_options(argc, argv, options, problem);
    if (outcome == ParseOutcome::help) usage(nullptr);
    if (outcome == ParseOutcome::bad) usage(problem.c_str());
    for (const CapturePress& p : options.presses) driver_queue_press(p.seconds, p.key);
}

[[noreturn]] void refuse(const std::string& path, const std::string& why, int status) {
    std::fprintf(stderr, "tangle: %s: %s\n", path.c_str(), why.c_str());
    std::exit(status);
}

std::string folder_of(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

// An input named on the command line must be there and readable (status 2).
void need_input(const std::string& path, bool folder) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0) refuse(path, std::strerror(errno), 2);
    if (folder && !S_ISDIR(st.st_mode)) refuse(path, "not a folder", 2);
    if (!folder && !S_ISREG(st.st_mode)) refuse(path, "not a regular file", 2);
    if (access(path.c_str(), folder ? R_OK | X_OK : R_OK) != 0) refuse(path, std::strerror(errno), 2);
}

// An output file must be creatable in its folder, or writable where it is (status 1).
void need_output_file(const std::string& path) {
    struct stat st;
    if (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) refuse(path, "can't write: it is a folder", 1);
    std::string folder = folder_of(path);
    if (access(folder.c_str(), W_OK | X_OK) != 0)
        refuse(path, std::string("can't write in ") + folder + ": " + std::strerror(errno), 1);
    if (access(path.c_str(), F_OK) == 0 && access(path.c_str(), W_OK) != 0)
        refuse(path, std::string("can't write: ") + std::strerror(errno), 1);
}

// Everything that can be checked before a frame is drawn, so that a capture
// never renders for minutes into an output it can't write.
void check_before_rendering() {
    const DriverOptions& d = options.driver;
    if (options.data_named) need_input(d.data_dir, true);
    if (!d.storyboard.empty()) need_input(d.storyboard, false);
    for (const std::string* out : {&options.out, &options.contact_sheet, &options.report_plot})
        if (!out->empty()) need_output_file(*out);
    if (!options.frames_dir.empty()) {
        const std::string& dir = options.frames_dir;
        if (mkdir(dir.c_str(), 0777) != 0 && errno != EEXIST) refuse(dir, std::strerror(errno), 1);
        struct stat st;
        if (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) refuse(dir, "exists and is not a folder", 1);
        if (access(dir.c_str(), W_OK | X_OK) != 0)
            refuse(dir, std::string("can't write: ") + std::strerror(errno), 1);
    }
    // Pieces would each fail on a missing font, each with its own message.
    std::string font = d.data_dir + "/digital-7.ttf";
    if (options.jobs > 1 && access(font.c_str(), R_OK) != 0)
        refuse(font, std::string(std::strerror(errno)) + "; the show's font can't be built", 1);
}

// Without any display, run on a private virtual X server.
void ensure_display() {
    if (std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY")) return;
    int fds[2];
    if (pipe(fds) != 0) return;
    xvfb_pid = fork();
    if (xvfb_pid == 0) {
        close(fds[0]);
        setsid();
        // The server's own chatter (a display number in use, say) is not the
        // user's concern; a server that fails is reported below.
        const int quiet = open("/dev/null", O_WRONLY);
        if (quiet >= 0) dup2(quiet, 2), close(quiet);
        std::string fd = std::to_string(fds[1]);
        // -noreset: a server resets when its last client leaves, and a piece
        // connecting during that reset could not open the display.
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x720x24", "-nolisten", "tcp",
               "-noreset", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    char number[16] = {};
    ssize_t n = read(fds[0], number, sizeof number - 1);
    // The read end stays open: the server may write to it again, and a closed
    // pipe would end it.
    if (n <= 0) {
        std::fprintf(stderr, "tangle: no display, and Xvfb could not be started\n");
        std::exit(1);
    }
    number[strcspn(number, "\n")] = '\0';
    std::string display = std::string(":") + number;
    setenv("DISPLAY", display.c_str(), 1);
    std::fprintf(stderr, "tangle: no display; started a virtual X server (Xvfb %s)\n", display.c_str());
}

void stop_display() {
    if (xvfb_pid > 0) {
        kill(xvfb_pid, SIGTERM);
        waitpid(xvfb_pid, nullptr, 0);
        xvfb_pid = 0;
    }
}

// An error that nothing caught, anywhere (a font that can't be built, say):
// it is said once, the virtual X server this tool started is stopped, and
// the half-made sound file goes.
[[noreturn]] void on_uncaught_error() {
    std::string what = "an unexpected error";
    if (std::exception_ptr error = std::current_exception()) {
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& e) {
            what = e.what();
        } catch (...) {
        }
    }
    std::fprintf(stderr, "tangle: %s\n", what.c_str());
    stop_display();
    if (!wav_path.empty()) unlink(wav_path.c_str());
    std::_Exit(1);
}

double wall_seconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - wall_start).count();
}

bool is_piece() { return !options.piece.empty(); }

// The framing of a composed picture, against the clear colour the frame was
// cleared with (chosen by the clock as the frame began).
Framing measure_frame(const std::vector<unsigned char>& rgb, float cleared_at) {
    float clear[3];
    choose_clear_colour(cleared_at, clear);
    int clear_rgb[3];
    for (int i = 0; i < 3; i++) clear_rgb[i] = static_cast<int>(clear[i] * 255 + 0.5f);
    return measure_framing(rgb, 1280, 720, clear_rgb);
}

void write_report_plot() {
    if (cost_plot_write(options.report_plot, report_samples_so_far(), report_section_names(),
                        options.driver.data_dir + "/digital-7.ttf"))
        std::fprintf(stderr, "tangle: wrote %s\n", options.report_plot.c_str());
}

// A piece leaves its files for the capture that started it to join.
void finish_piece() {
    driver_finish(frames_run / options.driver.fps);
    if (options.piece_video && !video_end_piece()) failed = true;
    if (options.piece_sheet) contact_sheet_save(options.piece + ".sheet");
    if (options.report) report_save(options.piece + ".report");
}

void finish_whole() {
    double end_seconds = frames_run / options.driver.fps;
    driver_finish(end_seconds);
    if (frames_written == 0 && !interrupted) {
        std::fprintf(stderr,
                     "tangle: no frame was made: the show's capture ends at %.2f s, before --from %.2f s; "
                     "nothing written\n",
                     end_seconds, options.from);
        failed = true;
        if (!options.out.empty()) video_abandon();
    } else if (!options.out.empty()) {
        double to = std::max(end_seconds, options.from + 1.0 / options.driver.fps);
        if (video_close(wav_path, options.from, to)) {
            std::fprintf(stderr, "tangle: wrote %s (%ld frames)\n", options.out.c_str(), frames_written);
            if (interrupted)
                std::fprintf(stderr, "tangle: partial: %s to %s of %s%s; run again to capture it all\n",
                             span_text(options.from).c_str(),
                             span_text(options.from + frames_written / options.driver.fps).c_str(),
                             options.to >= 0 ? "" : "about ", span_text(show_end).c_str());
        } else {
            failed = true;
        }
    }
    if (!wav_path.empty()) unlink(wav_path.c_str());
    if (!options.contact_sheet.empty()) {
        if (contact_sheet_write(options.contact_sheet, options.driver.data_dir + "/digital-7.ttf"))
            std::fprintf(stderr, "tangle: wrote %s\n", options.contact_sheet.c_str());
        else
            failed = true;
    }
    if (options.report) {
        report_print(wall_seconds(), frames_written);
        write_report_plot();
    }
}

void finish_capture() {
    if (finished) return;
    finished = true;
    if (interrupted && !is_piece()) std::fprintf(stderr, "tangle: interrupted; finishing the files so far\n");
    if (is_piece()) {
        finish_piece();
    } else {
        finish_whole();
    }
    if (xvfb_pid > 0) glutExit();  // close the connection before its server goes
    stop_display();
}

// When a storyboard command ends the show, the files are finished at exit,
// and a failure among them still gives the failure status.
void finish_at_exit() {
    bool first = !finished;
    finish_capture();
    if (first && failed) std::_Exit(1);
}

void show_progress(double seconds, double total, bool last) {
    const double from = std::min(options.from, total);
    const double done = seconds <= from ? 0 : show_work(from, seconds) / show_work(from, total);
    show_capture_progress(done, wall_seconds(), seconds, total, last);
}

// Before anything is drawn: what the capture makes and where. How long it
// takes depends on the machine and its load; the progress line's time left,
// weighed by what each part of the show costs, holds steady once the first
// seconds are done.
void announce() {
    std::string what;
    auto add = [&](const std::string& s) { what += (what.empty() ? "" : ", ") + s; };
    if (!options.out.empty()) add(options.out + " (H.264 and AAC)");
    if (!options.frames_dir.empty()) add("PNG frames in " + options.frames_dir);
    if (!options.contact_sheet.empty()) add("a contact sheet " + options.contact_sheet);
    if (what.empty()) return;
    const std::string span =
        span_text(options.from) + " to " +
        (options.to >= 0 ? span_text(options.to) : "the end of the credits (about 4:05)");
    std::fprintf(stderr,
                 "tangle: capturing %s of the show at %g fps, 1280x720, to %s; the time left shows after the "
                 "first seconds\n",
                 span.c_str(), options.driver.fps, what.c_str());
}

void on_stop_signal(int signal_number) { interrupted = signal_number; }

// The pieces of a capture in several processes, then their files joined.
int capture_with_jobs() {
    JobsRequest r;
    r.piece_arguments = options.piece_arguments;
    r.fps = options.driver.fps;
    r.from = options.from, r.to = options.to;
    r.jobs = options.jobs;
    r.out = options.out, r.contact_sheet = options.contact_sheet;
    r.font_path = options.driver.data_dir + "/digital-7.ttf";
    r.report = options.report;
    int status = capture_in_pieces(r, interrupted);
    if (options.report) write_report_plot();
    stop_display();
    return status;
}

// What a frame is drawn for once it is at or after --from.
struct FrameUse {
    bool video, png, thumbnail;
};

FrameUse frame_use(long k, long sheet_every) {
    // Numbering and sampling follow the whole range, so the pieces of a
    // capture in several processes pick the frames one process would.
    long index = k - first_frame_at(options.range_from, options.driver.fps);
    bool sheet = !options.contact_sheet.empty() || options.piece_sheet;
    return {!options.out.empty() || options.piece_video,
            !options.frames_dir.empty() && index % options.every == 0, sheet && index % sheet_every == 0};
}

}  // namespace

int main(int argc, char** argv) {
    // Before anything opens a file: a closed standard descriptor must not be reused.
    make_standard_descriptors_safe();
    wall_start = std::chrono::steady_clock::now();
    parse_arguments(argc, argv);
    std::signal(SIGINT, on_stop_signal);
    std::signal(SIGTERM, on_stop_signal);
    std::signal(SIGPIPE, SIG_IGN);
    if (!is_piece()) check_before_rendering();
    if (!is_piece()) announce();
    std::set_terminate(on_uncaught_error);
    ensure_display();
    if (options.jobs > 1 && !is_piece()) return capture_with_jobs();
    if (is_piece()) {
        wav_path = options.piece + ".audio.wav";
        options.driver.wav_path = wav_path;
    } else if (!options.out.empty()) {
        wav_path = options.out + "." + std::to_string(getpid()) + ".audio.wav";  // this run's own
        options.driver.wav_path = wav_path;
    }
    std::atexit(finish_at_exit);  // also when a storyboard command ends the show
    driver_start(options.driver);
    if (options.piece_video && !video_open(options.piece, options.driver.fps, false)) return 1;
    if (!is_piece() && !options.out.empty() && !video_open(options.out, options.driver.fps, true)) return 1;

    const double fps = options.driver.fps;
    // Without --to: the main show, then 60 s of credits after the finale switch.
    double estimated_end = options.to >= 0 ? options.to : capture_default_end;
    double range_end = options.range_to >= 0 ? options.range_to : capture_default_end;
    double finale_at = -1;
    long sheet_every = std::max(1L, std::lround((range_end - options.range_from) * fps / 48));
    long first_drawn = first_frame_at(options.from, fps);
    std::vector<unsigned char> picture;
    FILE* progress = options.progress_fd >= 0 ? fdopen(options.progress_fd, "w") : nullptr;
    wall_start = std::chrono::steady_clock::now();
    for (long k = 0; !interrupted; k++) {
        double seconds = k / fps;
        if (options.to >= 0 && seconds >= options.to) break;
        // Without --to, the credits' first minute ends it; --to is honoured to the end.
        if (options.to < 0 && finale_at >= 0 && seconds >= finale_at + 60) break;
        if (seconds > capture_max_seconds) break;  // a show whose music never reaches its finale

        // Only the frames something keeps are drawn; of the rest, those the GL
        // state of a kept frame depends on run unseen and the others only step.
        auto is_kept = [&](long j) {
            if (j < first_drawn) return false;
            FrameUse u = frame_use(j, sheet_every);
            return u.video || u.png || u.thumbnail || options.report;
        };
        bool wanted = k >= first_drawn;
        FrameUse use = wanted ? frame_use(k, sheet_every) : FrameUse{false, false, false};
        bool kept = is_kept(k);
        bool drawn = options.draw_all || frame_needs_drawing_for(k, is_kept);
        auto t0 = std::chrono::steady_clock::now();
        float cleared_at = demo_time;  // the clock the frame picks its clear colour by
        DrawStats submitted;
        if (drawn) {
            driver_fast_forward(!kept && !options.draw_all);
            draw_stats_take();
            driver_run_frame(k);
            submitted = draw_stats_take();
        } else {
            driver_step_frame(k);
        }
        bool finale = demo_time > finale_time;
        if (finale && finale_at < 0) {
            finale_at = seconds;
            if (options.to < 0) estimated_end = seconds + 60;
        }
        if (use.video || use.png || use.thumbnail)
            driver_read_picture(picture);
        else if (drawn)
            glFinish();
        double frame_time = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        if (kept) driver_present();
        frames_run = k + 1;
        if (!is_piece()) show_progress(seconds, estimated_end, false);
        if (!wanted) continue;
        if (options.report) {
            // Read after the timing, so the times stay the frame's own.
            if (!(use.video || use.png || use.thumbnail)) driver_read_picture(picture);
            Framing f = measure_frame(picture, cleared_at);
            report_add(section_name(demo_time, finale, demo.hidden_part_on != 0), seconds, frame_time,
                       f.framed, f.mostly_clear, {submitted.calls, submitted.draws, submitted.line_widths});
        }
        if (use.video && !video_write(picture)) {
            std::fprintf(stderr, "tangle: ffmpeg: the video encoder stopped taking frames\n");
            failed = true;
            break;
        }
        if (use.png) {
            char name[32];
            std::snprintf(name, sizeof name, "/frame_%06ld.png", k);
            if (!write_png(options.frames_dir + name, 1280, 720, picture)) {
                failed = true;
                break;
            }
        }
        if (use.thumbnail) contact_sheet_add(picture, seconds);
        // Every frame of the range counts, kept or only stepped: the parent of
        // a capture in pieces tells a finished piece by its count.
        frames_written++;
        if (progress) std::fprintf(progress, "%ld\n", k), std::fflush(progress);
    }
    if (!is_piece()) {
        show_progress(frames_run / fps, estimated_end, true);
        std::fputc('\n', stderr);
    }
    show_end = estimated_end;
    finish_capture();
    if (failed) return 1;
    return interrupted ? 128 + static_cast<int>(interrupted) : 0;
}
