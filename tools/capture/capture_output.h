// capture_output.h: where captured frames go: H.264 video through the ffmpeg
// command, numbered PNG frames, and the timing and framing report by section
// of the show.
#pragma once

#include <string>
#include <vector>

// Video: raw frames are piped to ffmpeg into a silent file; closing muxes the
// played audio (from `from` to `to` seconds of the WAV) with it as AAC.
// The silent video goes beside out_path, under a name of this run's own when
// `private_name` (a piece's is known to its parent: out_path + ".video.mkv").
bool video_open(const std::string& out_path, double fps, bool private_name);
bool video_write(const std::vector<unsigned char>& rgb);
bool video_close(const std::string& wav_path, double from, double to);
// Ends the encoder and keeps the silent file (video_piece_path()) as it is.
bool video_end_piece();
std::string video_piece_path();
// Ends the encoder and removes what it wrote (a capture that made no frame).
void video_abandon();
// Joins silent pieces in order without encoding them again, and muxes the
// audio from `from` to `to` seconds of the WAV with them into out_path.
bool video_join(const std::vector<std::string>& pieces, const std::string& wav_path, double from, double to,
                const std::string& out_path);

// The section of the show a frame belongs to, by demo_time and the music state.
const char* section_name(float demo_time, bool finale, bool hidden);

// Frame times per section, reported at the end: each frame drawn, with the
// music time it showed and what it cost.
// A frame whose picture was measured also carries its framing (framing.h):
// 1 or 0 for "framed" and "mostly clear", -1 where it was not measured.
// A frame drawn by this build also carries what its drawing submitted
// (core/draw_stats.h): GL calls, draws and line-width changes, -1 where not
// counted.
struct ReportSample {
    int section;  // index into report_section_names()
    double music_seconds, seconds;
    int framed = -1, mostly_clear = -1;
    long calls = -1, draws = -1, line_widths = -1;
};
struct SubmittedCounts {
    long calls = -1, draws = -1, line_widths = -1;
};
void report_add(const char* section, double music_seconds, double seconds, int framed = -1,
                int mostly_clear = -1, SubmittedCounts submitted = {});
void report_print(double wall_seconds, long frames);
const std::vector<ReportSample>& report_samples_so_far();
std::vector<std::string> report_section_names();  // in the order first seen
// The samples as text lines, so pieces captured apart can be reported as one.
bool report_save(const std::string& path);
bool report_load(const std::string& path);
