// overlay_text.h: what the rehearsal's overlay says, as lines of text (no GL).
// Depends on storyboard_source.h (the records it lists) and sync/commands.h
// (what the last key fired does).
#pragma once

#include <string>
#include <vector>

#include "storyboard_source.h"

// "mm:ss.cc".
std::string clock_text(double seconds);

struct BarBeat {
    int bar, beat;  // both from 1, as the cue sheet counts them
};
// A bar is four beats.
BarBeat bar_and_beat(double seconds, double bar_seconds);

struct OverlayFacts {
    double seconds;      // the rehearsal's music time
    float record_clock;  // the time the storyboard replay compares with
    double bar_seconds;
    std::string section;
    double frame_ms, fps;
    const std::vector<StoryRecord>* records;  // by time
    bool loop;
    double loop_start, loop_end, home;
    bool paused;
    std::string error;  // the last storyboard that failed to load, "" if none
    const std::vector<std::string>* findings = nullptr;  // the checker's, for the storyboard loaded
    int columns = 0;                                     // characters a line may take; 0: no limit
};

// The first lines are always these many: time, frame, records, loop. Any
// after them are trouble (a storyboard not loaded, the checker's findings),
// wrapped to `columns`.
constexpr size_t overlay_status_lines = 4;

std::vector<std::string> overlay_lines(const OverlayFacts& facts);

// `text` cut into lines of at most `columns` characters, at spaces where it
// can, continuation lines indented by two.
std::vector<std::string> wrap_text(const std::string& text, int columns);
