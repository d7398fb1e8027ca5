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

#include <signal.h>

#include <string>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

#include "app/frame.h"
#include "audio/music.h"
#include "capture_jobs.h"
#include "capture_output.h"
#include "contact_sheet.h"
#include "core/demo_state.h"
#include "cost_plot.h"
#include "driver.h"
#include "framing.h"
#include "png_file.h"

namespace {

struct CaptureOptions {
    DriverOptions driver;
    double from = 0, to = -1;  // to < 0: the main show plus 60 s of credits
    std::string out, frames_dir, contact_sheet;
    std::string report_plot;
    long every = 1;
    bool report = false;
    bool draw_all = false;  // draw the frames before --from too (to check fast-forward)
    long jobs = -1;         // -1: one per core
    // A piece of a capture in several processes (capture_jobs.h): the files
    // go beside `piece`, numbering and sampling follow the whole range.
    std::string piece;
    bool piece_video = false, piece_sheet = false;
    double range_from = -1, range_to = -1;
    int progress_fd = -1;
    std::vector<std::string> piece_arguments;  // what each piece is given
};

CaptureOptions options;
std::string wav_path;
volatile sig_atomic_t interrupted = 0;  // the signal that asked to stop
pid_t xvfb_pid = 0;
bool finished = false;
long frames_written = 0;
std::chrono::steady_clock::time_point wall_start;
long frames_run = 0;

[[noreturn]] void usage(const char* problem) {
    if (problem) std::fprintf(stderr, "tangle-capture: %s\n", problem);
    std::fprintf(stderr,
                 "usage: tangle-capture [--data DIR] [--fps N] [--from S] [--to S] [--seed N]\n"
                 "                      [--storyboard FILE] [--press S:KEY]... [--out FILE.mp4]\n"
                 "                      [--frames DIR] [--every K] [--contact-sheet FILE.png] [--report]\n"
                 "                      [--report-plot FILE.png] [--jobs N] [--draw-all]\n"
                 "KEY is one character, \"Escape\", or a key code 27..122 written as #NN.\n");
    std::exit(2);
}

double parse_number(const char* text, const char* what) {
    char* end = nullptr;
    double v = std::strtod(text, &end);
    if (end == text || *end != '\0' || !std::isfinite(v))
        usage((std::string("bad ") + what + ": " + text).c_str());
    return v;
}

std::string absolute(const std::string& path) {
    if (path.empty() || path[0] == '/') return path;
    char cwd[PATH_MAX];
    return getcwd(cwd, sizeof cwd) ? std::string(cwd) + "/" + path : path;
}

void parse_press(const std::string& arg) {
    size_t colon = arg.find(':');
    if (colon == std::string::npos || colon + 1 >= arg.size()) usage(("bad --press: " + arg).c_str());
    double seconds = parse_number(arg.substr(0, colon).c_str(), "--press time");
    std::string key = arg.substr(colon + 1);
    int code;
    if (key.size() == 1)
        code = static_cast<unsigned char>(key[0]);
    else if (key == "Escape" || key == "escape")
        code = 27;
    else if (key[0] == '#')
        code = static_cast<int>(parse_number(key.c_str() + 1, "--press key code"));
    else
        usage(("bad --press key: " + key).c_str());
    if (code < 0 || code > 255) usage(("bad --press key: " + key).c_str());
    driver_queue_press(seconds, static_cast<unsigned char>(code));
}

void parse_range(const std::string& text) {
    size_t colon = text.find(':');
    if (colon == std::string::npos) usage(("bad --range: " + text).c_str());
    options.range_from = parse_number(text.substr(0, colon).c_str(), "--range");
    options.range_to = parse_number(text.substr(colon + 1).c_str(), "--range");
}

void parse_arguments(int argc, char** argv) {
    for (int i = 1; i < argc; i++) {
        std::string a = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) usage((a + " needs a value").c_str());
            return argv[++i];
        };
        // Options every piece of a capture in several processes is given too.
        auto shared = [&](const std::string& v) {
            options.piece_arguments.insert(options.piece_arguments.end(), {a, v});
            return v;
        };
        if (a == "--data")
            options.driver.data_dir = absolute(shared(absolute(value())));
        else if (a == "--fps")
            options.driver.fps = parse_number(shared(value()).c_str(), "--fps");
        else if (a == "--from")
            options.from = parse_number(value().c_str(), "--from");
        else if (a == "--to")
            options.to = parse_number(value().c_str(), "--to");
        else if (a == "--seed")
            options.driver.seed = static_cast<unsigned>(parse_number(shared(value()).c_str(), "--seed"));
        else if (a == "--storyboard")
            options.driver.storyboard = shared(absolute(value()));
        else if (a == "--press")
            parse_press(shared(value()));
        else if (a == "--out")
            options.out = absolute(value());
        else if (a == "--frames")
            options.frames_dir = shared(absolute(value()));
        else if (a == "--every")
            options.every = static_cast<long>(parse_number(shared(value()).c_str(), "--every"));
        else if (a == "--contact-sheet")
            options.contact_sheet = absolute(value());
        else if (a == "--report")
            options.report = true;
        else if (a == "--draw-all")
            options.draw_all = true, options.piece_arguments.push_back(a);
        else if (a == "--report-plot")
            options.report_plot = absolute(value());
        else if (a == "--jobs")
            options.jobs = static_cast<long>(parse_number(value().c_str(), "--jobs"));
        else if (a == "--piece")
            options.piece = value();
        else if (a == "--piece-video")
            options.piece_video = true;
        else if (a == "--piece-sheet")
            options.piece_sheet = true;
        else if (a == "--range")
            parse_range(value());
        else if (a == "--progress-fd")
            options.progress_fd = static_cast<int>(parse_number(value().c_str(), "--progress-fd"));
        else if (a == "--help" || a == "-h")
            usage(nullptr);
        else
            usage(("unknown option " + a).c_str());
    }
    if (options.jobs != -1 && (options.jobs < 1 || options.jobs > 64)) usage("--jobs must be 1 to 64");
    if (options.jobs == -1) options.jobs = std::max(1L, sysconf(_SC_NPROCESSORS_ONLN));
    if (options.range_from < 0) options.range_from = options.from, options.range_to = options.to;
    if (options.report && options.report_plot.empty()) options.report_plot = absolute("tangle-report.png");
    if (options.driver.fps <= 0 || options.driver.fps > 1000) usage("--fps must be above 0 and at most 1000");
    if (options.every < 1) usage("--every must be 1 or more");
    if (options.from < 0) usage("--from must not be negative");
    if (options.to >= 0 && options.to <= options.from) usage("--to must be after --from");
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
        std::string fd = std::to_string(fds[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x720x24", "-nolisten", "tcp",
               static_cast<char*>(nullptr));
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
    driver_finish();
    if (options.piece_video) video_end_piece();
    if (options.piece_sheet) contact_sheet_save(options.piece + ".sheet");
    if (options.report) report_save(options.piece + ".report");
}

void finish_whole() {
    double end_seconds = frames_run / options.driver.fps;
    driver_finish();
    if (!options.out.empty()) {
        double to = std::max(end_seconds, options.from + 1.0 / options.driver.fps);
        if (video_close(wav_path, options.from, to))
            std::fprintf(stderr, "tangle: wrote %s (%ld frames)\n", options.out.c_str(), frames_written);
    }
    if (!wav_path.empty()) unlink(wav_path.c_str());
    if (!options.contact_sheet.empty() &&
        contact_sheet_write(options.contact_sheet, options.driver.data_dir + "/digital-7.ttf"))
        std::fprintf(stderr, "tangle: wrote %s\n", options.contact_sheet.c_str());
    if (options.report) {
        report_print(wall_seconds(), frames_written);
        write_report_plot();
    }
}

void finish_capture() {
    if (finished) return;
    finished = true;
    if (interrupted && !is_piece())
        std::fprintf(stderr, "\ntangle: interrupted; finishing the files so far\n");
    if (is_piece()) {
        finish_piece();
    } else {
        finish_whole();
    }
    if (xvfb_pid > 0) glutExit();  // close the connection before its server goes
    stop_display();
}

void show_progress(double seconds, double total) {
    static double last = -1;
    double now = wall_seconds();
    // A bar redrawn in place on a terminal; a line every ten seconds in a log.
    double interval = isatty(2) ? 0.5 : 10;
    if (now - last < interval && seconds < total) return;
    last = now;
    double done = std::min(1.0, (seconds - 0) / total);
    double eta = done > 0 ? now * (1 - done) / done : 0;
    int bar = static_cast<int>(done * 30);
    std::fprintf(stderr, "\r[%.*s%*s] %5.1f%%  %6.1f s of %.1f s  ETA %d:%02d ", bar,
                 "##############################", 30 - bar, "", done * 100, seconds, total,
                 static_cast<int>(eta) / 60, static_cast<int>(eta) % 60);
    if (!isatty(2)) std::fputc('\n', stderr);
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
    wall_start = std::chrono::steady_clock::now();
    parse_arguments(argc, argv);
    std::signal(SIGINT, on_stop_signal);
    std::signal(SIGTERM, on_stop_signal);
    std::signal(SIGPIPE, SIG_IGN);
    ensure_display();
    if (!options.frames_dir.empty()) mkdir(options.frames_dir.c_str(), 0777);
    if (options.jobs > 1 && !is_piece()) return capture_with_jobs();
    if (is_piece()) {
        wav_path = options.piece + ".audio.wav";
        options.driver.wav_path = wav_path;
    } else if (!options.out.empty()) {
        wav_path = options.out + ".audio.wav";
        options.driver.wav_path = wav_path;
    }
    std::atexit(finish_capture);  // also when a storyboard command ends the show
    driver_start(options.driver);
    if (options.piece_video && !video_open(options.piece, options.driver.fps)) return 1;
    if (!is_piece() && !options.out.empty() && !video_open(options.out, options.driver.fps)) return 1;

    const double fps = options.driver.fps;
    // Without --to: the main show, then 60 s of credits after the finale switch.
    double estimated_end = options.to >= 0 ? options.to : 245;
    double range_end = options.range_to >= 0 ? options.range_to : 245;
    double finale_at = -1;
    long sheet_every = std::max(1L, std::lround((range_end - options.range_from) * fps / 48));
    long first_drawn = first_frame_at(options.from, fps);
    std::vector<unsigned char> picture;
    FILE* progress = options.progress_fd >= 0 ? fdopen(options.progress_fd, "w") : nullptr;
    wall_start = std::chrono::steady_clock::now();
    for (long k = 0; !interrupted; k++) {
        double seconds = k / fps;
        if (options.to >= 0 && seconds >= options.to) break;
        if (finale_at >= 0 && seconds >= finale_at + 60) break;
        if (seconds > 1800) break;  // a show whose music never reaches its finale

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
        bool drawn = kept || options.draw_all || k < settle_first_frames;
        for (long j = k + 1; !drawn && j <= k + settle_last_frames; j++) drawn = is_kept(j);
        auto t0 = std::chrono::steady_clock::now();
        float cleared_at = demo_time;  // the clock the frame picks its clear colour by
        if (drawn) {
            driver_fast_forward(!kept && !options.draw_all);
            driver_run_frame(k);
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
        if (!is_piece()) show_progress(seconds, estimated_end);
        if (!wanted) continue;
        if (options.report) {
            // Read after the timing, so the times stay the frame's own.
            if (!(use.video || use.png || use.thumbnail)) driver_read_picture(picture);
            Framing f = measure_frame(picture, cleared_at);
            report_add(section_name(demo_time, finale, demo.hidden_part_on != 0), seconds, frame_time,
                       f.framed, f.mostly_clear);
        }
        if (use.video && !video_write(picture)) {
            std::fprintf(stderr, "tangle: ffmpeg: the video encoder stopped taking frames\n");
            break;
        }
        if (use.png) {
            char name[32];
            std::snprintf(name, sizeof name, "/frame_%06ld.png", k);
            write_png(options.frames_dir + name, 1280, 720, picture);
        }
        if (use.thumbnail) contact_sheet_add(picture, seconds);
        // Every frame of the range counts, kept or only stepped: the parent of
        // a capture in pieces tells a finished piece by its count.
        frames_written++;
        if (progress) std::fprintf(progress, "%ld\n", k), std::fflush(progress);
    }
    if (!is_piece()) std::fputc('\n', stderr);
    finish_capture();
    return interrupted ? 128 + static_cast<int>(interrupted) : 0;
}
