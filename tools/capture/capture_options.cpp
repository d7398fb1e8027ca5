// capture_options.cpp: tangle-capture's command line (see capture_options.h).
//
// Depends on nothing but the C++ library. Every number is checked to be
// finite and in range before it is converted, and every time lies within the
// range a capture may cover, so no later arithmetic overflows.
#include "capture_options.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>

#include <unistd.h>

namespace {

// Thrown inside the parser only, and caught at its entry.
struct BadOption {
    std::string problem;
};

[[noreturn]] void bad(const std::string& problem) { throw BadOption{problem}; }

double parse_number(const std::string& text, const char* what) {
    char* end = nullptr;
    double v = std::strtod(text.c_str(), &end);
    if (text.empty() || end == text.c_str() || *end != '\0' || !std::isfinite(v))
        bad(std::string("bad ") + what + ": " + text);
    return v;
}

// A whole number from lo to hi (a fraction is dropped, as before).
long parse_whole(const std::string& text, const char* what, double lo, double hi) {
    double v = parse_number(text, what);
    if (v < lo || v >= hi + 1)
        bad(std::string(what) + " must be " + std::to_string(static_cast<long long>(lo)) + " to " +
            std::to_string(static_cast<long long>(hi)) + ": " + text);
    return static_cast<long>(v);
}

// Seconds of music within what a capture may cover.
double parse_seconds(const std::string& text, const char* what) {
    double v = parse_number(text, what);
    if (v < 0 || v > capture_max_seconds) bad(std::string(what) + " must be 0 to 1800 seconds: " + text);
    return v;
}

std::string absolute(const std::string& path) {
    if (path.empty() || path[0] == '/') return path;
    char cwd[PATH_MAX];
    return getcwd(cwd, sizeof cwd) ? std::string(cwd) + "/" + path : path;
}

CapturePress parse_press(const std::string& arg) {
    size_t colon = arg.find(':');
    if (colon == std::string::npos || colon + 1 >= arg.size()) bad("bad --press: " + arg);
    double seconds = parse_seconds(arg.substr(0, colon), "--press time");
    std::string key = arg.substr(colon + 1);
    long code = -1;
    if (key.size() == 1)
        code = static_cast<unsigned char>(key[0]);
    else if (key == "Escape" || key == "escape")
        code = 27;
    else if (key[0] == '#')
        code = parse_whole(key.substr(1), "--press key code", 0, 255);
    else
        bad("bad --press key: " + key);
    return {seconds, static_cast<unsigned char>(code)};
}

void parse_range(CaptureOptions& o, const std::string& text) {
    size_t colon = text.find(':');
    if (colon == std::string::npos) bad("bad --range: " + text);
    o.range_from = parse_seconds(text.substr(0, colon), "--range");
    std::string to = text.substr(colon + 1);
    o.range_to = parse_number(to, "--range") < 0 ? -1 : parse_seconds(to, "--range");
}

void parse_all(int argc, char** argv, CaptureOptions& o) {
    for (int i = 1; i < argc; i++) {
        std::string a = argv[i] ? argv[i] : "";
        auto value = [&]() -> std::string {
            if (i + 1 >= argc || !argv[i + 1]) bad(a + " needs a value");
            return argv[++i];
        };
        // Options every piece of a capture in several processes is given too.
        auto shared = [&](const std::string& v) {
            o.piece_arguments.insert(o.piece_arguments.end(), {a, v});
            return v;
        };
        if (a == "--data")
            o.driver.data_dir = shared(absolute(value())), o.data_named = true;
        else if (a == "--fps")
            o.driver.fps = parse_number(shared(value()), "--fps");
        else if (a == "--from")
            o.from = parse_seconds(value(), "--from");
        else if (a == "--to")
            o.to = parse_seconds(value(), "--to");
        else if (a == "--seed")
            o.driver.seed = static_cast<unsigned>(parse_whole(shared(value()), "--seed", 0, UINT_MAX));
        else if (a == "--storyboard")
            o.driver.storyboard = shared(absolute(value()));
        else if (a == "--press")
            o.presses.push_back(parse_press(shared(value())));
        else if (a == "--out")
            o.out = absolute(value());
        else if (a == "--frames")
            o.frames_dir = shared(absolute(value()));
        else if (a == "--every")
            o.every = parse_whole(shared(value()), "--every", 1, 1e9);
        else if (a == "--contact-sheet")
            o.contact_sheet = absolute(value());
        else if (a == "--report")
            o.report = true;
        else if (a == "--draw-all")
            o.draw_all = true, o.piece_arguments.push_back(a);
        else if (a == "--report-plot")
            o.report_plot = absolute(value());
        else if (a == "--jobs")
            o.jobs = parse_whole(value(), "--jobs", 1, 64);
        else if (a == "--piece")
            o.piece = value();
        else if (a == "--piece-video")
            o.piece_video = true;
        else if (a == "--piece-sheet")
            o.piece_sheet = true;
        else if (a == "--range")
            parse_range(o, value());
        else if (a == "--progress-fd")
            o.progress_fd = static_cast<int>(parse_whole(value(), "--progress-fd", 0, INT_MAX));
        else if (a == "--help" || a == "-h")
            throw ParseOutcome::help;
        else
            bad("unknown option " + a);
    }
    if (o.jobs == -1) o.jobs = std::max(1L, std::min(64L, sysconf(_SC_NPROCESSORS_ONLN)));
    if (o.range_from < 0) o.range_from = o.from, o.range_to = o.to;
    if (o.report && o.report_plot.empty()) o.report_plot = absolute("tangle-report.png");
    if (!(o.driver.fps > 0 && o.driver.fps <= 1000)) bad("--fps must be above 0 and at most 1000");
    if (o.to >= 0 && o.to <= o.from) bad("--to must be after --from");
    if (o.from >= capture_max_seconds) bad("--from must be before 1800 seconds");
}

}  // namespace

ParseOutcome parse_capture_options(int argc, char** argv, CaptureOptions& options, std::string& problem) {
    try {
        parse_all(argc, argv, options);
    } catch (const BadOption& e) {
        problem = e.problem;
        return ParseOutcome::bad;
    } catch (ParseOutcome outcome) {
        return outcome;
    }
    return ParseOutcome::run;
}
