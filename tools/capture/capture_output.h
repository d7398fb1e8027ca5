// capture_output.h: where captured frames go: H.264 video through the ffmpeg
// command, numbered PNG frames, and the timing report by section of the show.
#pragma once

#include <string>
#include <vector>

// Video: raw frames are piped to ffmpeg into a silent file; closing muxes the
// played audio (from `from` to `to` seconds of the WAV) with it as AAC.
bool video_open(const std::string& out_path, double fps);
bool video_write(const std::vector<unsigned char>& rgb);
bool video_close(const std::string& wav_path, double from, double to);

// The section of the show a frame belongs to, by demo_time and the music state.
const char* section_name(float demo_time, bool finale, bool hidden);

// Frame times per section, reported at the end.
void report_add(const char* section, double seconds);
// The framing of a frame's composed picture, cleared for the show clock `time`
// (demo_time as the frame was drawn); reported per section beside the times.
void report_add_framing(const char* section, const std::vector<unsigned char>& rgb, float time);
void report_print(double wall_seconds, long frames);
