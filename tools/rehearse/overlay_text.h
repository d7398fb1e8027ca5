// overlay_text.h: what the rehearsal's overlay says, as lines of text (no GL).
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
};

std::vector<std::string> overlay_lines(const OverlayFacts& facts);
