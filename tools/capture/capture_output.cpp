// capture_output.cpp: ffmpeg video pipe, joining pieces, and the timing,
// submission and framing report.
#include "capture_output.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include <fcntl.h>

#include <map>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

#include "scenes/sections.h"

namespace {

FILE* video_pipe = nullptr;
pid_t video_encoder = -1;
std::string video_path, silent_path;

// A file of this run only, beside `path`: two captures writing the same
// output must not share their intermediate files.
std::string run_private(const std::string& path, const std::string& suffix) {
    return path + "." + std::to_string(getpid()) + suffix;
}

std::string quoted(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += (c == '\'') ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

struct SectionTimes {
    int order = 0;
    std::vector<double> seconds;
    long measured = 0, framed = 0, mostly_clear = 0;  // frames whose framing was measured
    std::vector<long> calls, draws;                   // frames whose submission was counted
};

// Median and worst of a section's counts, for the table.
void print_counts(std::vector<long>& counts) {
    if (counts.empty()) {
        std::fprintf(stderr, " %8s %8s", "-", "-");
        return;
    }
    std::sort(counts.begin(), counts.end());
    std::fprintf(stderr, " %8ld %8ld", counts[counts.size() / 2], counts.back());
}
std::map<std::string, SectionTimes> report_sections;
std::vector<ReportSample> report_samples;  // in the order the frames ran

}  // namespace

bool video_open(const std::string& out_path, double fps, bool private_name) {
    video_path = out_path;
    // A piece writes into its parent's private folder, under the name the parent looks for.
    silent_path = private_name ? run_private(out_path, ".video.mkv") : out_path + ".video.mkv";
    char rate[32];
    std::snprintf(rate, sizeof rate, "%.6g", fps);
    // HD video is read as BT.709 by players and video sites whether tagged or
    // not: converted with that matrix into limited range, and tagged so.
    // clang-format off
    const char* args[] = {
        "ffmpeg", "-loglevel", "error", "-y", "-f", "rawvideo", "-pix_fmt", "rgb24", "-s", "1280x720",
        "-r", rate, "-i", "-",
        "-vf", "scale=out_color_matrix=bt709:out_range=tv:flags=accurate_rnd+full_chroma_int,format=yuv420p",
        "-c:v", "libx264", "-preset", "veryfast", "-crf", "18", "-colorspace", "bt709",
        "-color_primaries", "bt709", "-color_trc", "bt709", "-color_range", "tv", silent_path.c_str(), nullptr};
    // clang-format on
    int ends[2];
    if (pipe(ends) != 0) {
        std::fprintf(stderr, "tangle: ffmpeg: can't start the video encoder\n");
        return false;
    }
    video_encoder = fork();
    if (video_encoder == 0) {
        // Its own session, started here rather than through a shell: a Ctrl-C
        // in the terminal reaches the whole foreground group, and the encoder
        // must outlive it to finish the frames the capture hands it.
        setsid();
        dup2(ends[0], 0);
        close(ends[0]);
        close(ends[1]);
        execvp("ffmpeg", const_cast<char* const*>(args));
        _exit(127);
    }
    close(ends[0]);
    if (video_encoder < 0) {
        close(ends[1]);
        std::fprintf(stderr, "tangle: ffmpeg: can't start the video encoder\n");
        return false;
    }
    fcntl(ends[1], F_SETFD, FD_CLOEXEC);
    video_pipe = fdopen(ends[1], "w");
    return video_pipe != nullptr;
}

bool video_write(const std::vector<unsigned char>& rgb) {
    if (!video_pipe) return false;
    return std::fwrite(rgb.data(), 1, rgb.size(), video_pipe) == rgb.size();
}

bool video_end_piece() {
    if (!video_pipe) return false;
    std::fclose(video_pipe);
    video_pipe = nullptr;
    int status = 0;
    while (waitpid(video_encoder, &status, 0) < 0 && errno == EINTR) {
    }
    video_encoder = -1;
    const bool ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (!ok) std::fprintf(stderr, "tangle: ffmpeg: the video encoder failed\n");
    return ok;
}

void video_abandon() {
    if (video_pipe) video_end_piece();
    unlink(silent_path.c_str());
}

std::string video_piece_path() { return silent_path; }

bool video_close(const std::string& wav_path, double from, double to) {
    if (!video_end_piece()) return false;
    bool ok = video_join({silent_path}, wav_path, from, to, video_path);
    unlink(silent_path.c_str());
    return ok;
}

bool video_join(const std::vector<std::string>& pieces, const std::string& wav_path, double from, double to,
                const std::string& out_path) {
    // The concat demuxer copies the pieces' packets one after the other, so
    // nothing is encoded twice; the index goes first, so that a browser can
    // play the file while it downloads.
    std::string list_path = run_private(out_path, ".pieces.txt");
    // Written under a name of this run's, with the output's extension so
    // that ffmpeg picks the same container, then renamed into place.
    const size_t dot = out_path.rfind('.'), slash = out_path.rfind('/');
    const bool has_extension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    const std::string part_path =
        run_private(out_path, ".part" + (has_extension ? out_path.substr(dot) : ".mp4"));
    FILE* list = std::fopen(list_path.c_str(), "w");
    if (!list) {
        std::fprintf(stderr, "tangle: %s: can't write the list of pieces\n", list_path.c_str());
        return false;
    }
    for (const std::string& piece : pieces) std::fprintf(list, "file %s\n", quoted(piece).c_str());
    std::fclose(list);
    char cut[96];
    std::snprintf(cut, sizeof cut, "-ss %.6f -t %.6f", from, to - from);
    std::string cmd = "ffmpeg -loglevel error -y -f concat -safe 0 -i " + quoted(list_path) + " " + cut +
                      " -i " + quoted(wav_path) +
                      " -map 0:v -map 1:a -c:v copy -c:a aac -b:a 192k -shortest -movflags +faststart " +
                      quoted(part_path);
    bool ok = std::system(cmd.c_str()) == 0;
    if (!ok) std::fprintf(stderr, "tangle: %s: ffmpeg could not add the audio\n", out_path.c_str());
    // The output appears whole or not at all.
    if (ok && rename(part_path.c_str(), out_path.c_str()) != 0) {
        std::fprintf(stderr, "tangle: %s: can't put the video in place\n", out_path.c_str());
        ok = false;
    }
    if (!ok) unlink(part_path.c_str());
    unlink(list_path.c_str());
    return ok;
}

const char* section_name(float t, bool finale, bool hidden) {
    if (hidden) return "hidden part";
    if (finale) return "end credits";
    return show_sections[section_at(t)].name;
}

void report_add(const char* section, double music_seconds, double seconds, int framed, int mostly_clear,
                SubmittedCounts submitted) {
    SectionTimes fresh;
    fresh.order = static_cast<int>(report_sections.size());
    auto [it, added] = report_sections.try_emplace(section, fresh);
    SectionTimes& times = it->second;
    times.seconds.push_back(seconds);
    if (framed >= 0) times.measured++, times.framed += framed, times.mostly_clear += mostly_clear;
    if (submitted.calls >= 0) times.calls.push_back(submitted.calls), times.draws.push_back(submitted.draws);
    report_samples.push_back({times.order, music_seconds, seconds, framed, mostly_clear, submitted.calls,
                              submitted.draws, submitted.line_widths});
}

const std::vector<ReportSample>& report_samples_so_far() { return report_samples; }

std::vector<std::string> report_section_names() {
    std::vector<std::string> names(report_sections.size());
    for (auto& [name, times] : report_sections) names[times.order] = name;
    return names;
}

bool report_save(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "w");
    if (!f) return false;
    std::vector<std::string> names = report_section_names();
    for (const ReportSample& s : report_samples)
        std::fprintf(f, "%.17g %.17g %d %d %ld %ld %ld %s\n", s.music_seconds, s.seconds, s.framed,
                     s.mostly_clear, s.calls, s.draws, s.line_widths, names[s.section].c_str());
    return std::fclose(f) == 0;
}

bool report_load(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "r");
    if (!f) return false;
    double music = 0, cost = 0;
    int framed = -1, mostly_clear = -1;
    SubmittedCounts counts;
    char name[64];
    while (std::fscanf(f, "%lf %lf %d %d %ld %ld %ld %63[^\n]", &music, &cost, &framed, &mostly_clear,
                       &counts.calls, &counts.draws, &counts.line_widths, name) == 8)
        report_add(name, music, cost, framed, mostly_clear, counts);
    std::fclose(f);
    return true;
}

void report_print(double wall_seconds, long frames) {
    std::vector<std::pair<int, std::string>> order;
    for (auto& [name, times] : report_sections) order.push_back({times.order, name});
    std::sort(order.begin(), order.end());
    bool framing = false;
    for (auto& [name, times] : report_sections) framing = framing || times.measured > 0;
    bool counted = false;
    for (auto& [name, times] : report_sections) counted = counted || !times.calls.empty();
    std::fprintf(stderr, "%-20s %8s %10s %10s%s%s\n", "section", "frames", "median ms", "worst ms",
                 counted ? "    calls    worst    draws    worst" : "",
                 framing ? "   framed   mostly clear" : "");
    for (auto& [index, name] : order) {
        SectionTimes& times = report_sections[name];
        std::vector<double>& s = times.seconds;
        std::sort(s.begin(), s.end());
        std::fprintf(stderr, "%-20s %8zu %10.2f %10.2f", name.c_str(), s.size(), s[s.size() / 2] * 1000,
                     s.back() * 1000);
        // GL calls and draws per frame, median and worst.
        if (counted) print_counts(times.calls), print_counts(times.draws);
        // Shares of the frames measured (those from --from on).
        if (times.measured > 0)
            std::fprintf(stderr, " %7.0f %% %12.0f %%", 100.0 * times.framed / times.measured,
                         100.0 * times.mostly_clear / times.measured);
        std::fputc('\n', stderr);
    }
    if (order.empty()) std::fprintf(stderr, "(no frames drawn)\n");
    std::fprintf(stderr, "captured %ld frames in %.1f s: %.2f frames per second\n", frames, wall_seconds,
                 wall_seconds > 0 ? frames / wall_seconds : 0.0);
}
