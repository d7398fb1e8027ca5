// capture_output.cpp: ffmpeg video pipe and the timing and framing report.
#include "capture_output.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "app/frame.h"
#include "framing.h"

namespace {

FILE* video_pipe = nullptr;
std::string video_path, silent_path;

std::string quoted(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += (c == '\'') ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

struct SectionTimes {
    int order;
    std::vector<double> seconds;
};
std::map<std::string, SectionTimes> report_sections;
std::map<std::string, FramingTally> report_framing;

}  // namespace

bool video_open(const std::string& out_path, double fps) {
    video_path = out_path;
    silent_path = out_path + ".video.mkv";
    char rate[32];
    std::snprintf(rate, sizeof rate, "%.6g", fps);
    // Its own session, so a Ctrl-C meant for the capture leaves the encoder to finish.
    std::string cmd = "setsid -w ffmpeg -loglevel error -y -f rawvideo -pix_fmt rgb24 -s 1280x720 -r " + std::string(rate) +
                      " -i - -c:v libx264 -preset veryfast -crf 18 -pix_fmt yuv420p " + quoted(silent_path);
    video_pipe = popen(cmd.c_str(), "w");
    if (!video_pipe) std::fprintf(stderr, "tangle: ffmpeg: can't start the video encoder\n");
    return video_pipe != nullptr;
}

bool video_write(const std::vector<unsigned char>& rgb) {
    if (!video_pipe) return false;
    return std::fwrite(rgb.data(), 1, rgb.size(), video_pipe) == rgb.size();
}

bool video_close(const std::string& wav_path, double from, double to) {
    if (!video_pipe) return false;
    bool ok = pclose(video_pipe) == 0;
    video_pipe = nullptr;
    if (!ok) {
        std::fprintf(stderr, "tangle: ffmpeg: the video encoder failed\n");
        return false;
    }
    char cut[96];
    std::snprintf(cut, sizeof cut, "-ss %.6f -t %.6f", from, to - from);
    std::string cmd = "ffmpeg -loglevel error -y -i " + quoted(silent_path) + " " + cut + " -i " +
                      quoted(wav_path) + " -map 0:v -map 1:a -c:v copy -c:a aac -b:a 192k -shortest " +
                      quoted(video_path);
    ok = std::system(cmd.c_str()) == 0;
    if (!ok) std::fprintf(stderr, "tangle: %s: ffmpeg could not add the audio\n", video_path.c_str());
    unlink(silent_path.c_str());
    return ok;
}

const char* section_name(float t, bool finale, bool hidden) {
    if (hidden) return "hidden part";
    if (finale) return "end credits";
    if (t <= 60) return "intro";
    if (t < 190) return "title plates";
    if (t <= 330) return "lattice";
    if (t < 375) return "wire torus";
    if (t <= 850) return "main body";
    if (t <= 1100) return "web and trail";
    if (t <= 1200) return "sheet bridge";
    if (t <= 1400) return "countdown";
    return "flashes and climax";
}

void report_add(const char* section, double seconds) {
    auto [it, added] = report_sections.try_emplace(section, SectionTimes{static_cast<int>(report_sections.size()), {}});
    it->second.seconds.push_back(seconds);
}

void report_add_framing(const char* section, const std::vector<unsigned char>& rgb, float time) {
    float clear[3];
    choose_clear_colour(time, clear);
    int clear_rgb[3];
    for (int i = 0; i < 3; i++) clear_rgb[i] = static_cast<int>(clear[i] * 255 + 0.5f);
    tally_framing(report_framing[section], measure_framing(rgb, 1280, 720, clear_rgb));
}

void report_print(double wall_seconds, long frames) {
    std::vector<std::pair<int, std::string>> order;
    for (auto& [name, times] : report_sections) order.push_back({times.order, name});
    std::sort(order.begin(), order.end());
    bool framing = !report_framing.empty();
    std::fprintf(stderr, "%-20s %8s %10s %10s%s\n", "section", "frames", "median ms", "worst ms",
                 framing ? "   framed   mostly clear" : "");
    for (auto& [index, name] : order) {
        std::vector<double>& s = report_sections[name].seconds;
        std::sort(s.begin(), s.end());
        std::fprintf(stderr, "%-20s %8zu %10.2f %10.2f", name.c_str(), s.size(), s[s.size() / 2] * 1000, s.back() * 1000);
        // Shares of the frames measured (those from --from on).
        if (auto f = report_framing.find(name); f != report_framing.end() && f->second.frames > 0)
            std::fprintf(stderr, " %7.0f %% %12.0f %%", 100.0 * f->second.framed / f->second.frames,
                         100.0 * f->second.mostly_clear / f->second.frames);
        std::fputc('\n', stderr);
    }
    std::fprintf(stderr, "captured %ld frames in %.1f s: %.2f frames per second\n", frames, wall_seconds,
                wall_seconds > 0 ? frames / wall_seconds : 0.0);
}
