// progress.cpp: a capture's progress by work (see progress.h).
#include "progress.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include <unistd.h>

namespace {

// What a frame costs in each 10 s of the show, in milliseconds: the mean
// frame time of a --report capture of the whole show at 5 fps (llvmpipe on 2
// busy cores), plus 50 ms a frame for reading it back and encoding it. Only
// the shape matters: the time left is scaled by the time taken so far.
constexpr double bucket_seconds = 10;
constexpr double bucket_cost[] = {79,  92,   189,  1523, 960, 398, 726, 888, 1143, 1321, 848, 1040, 903,
                                  819, 1048, 1637, 508,  568, 326, 333, 854, 870,  496,  594, 475};
constexpr int buckets = sizeof bucket_cost / sizeof bucket_cost[0];

}  // namespace

double show_work_until(double seconds) {
    seconds = std::max(0.0, seconds);
    double work = 0;
    int b = 0;
    for (; b < buckets && (b + 1) * bucket_seconds <= seconds; ++b) work += bucket_cost[b];
    const double rest = seconds - b * bucket_seconds;
    return work + rest / bucket_seconds * bucket_cost[std::min(b, buckets - 1)];
}

std::string span_text(double seconds) {
    const long tenths = std::lround(std::max(0.0, seconds) * 10);
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld.%ld", tenths / 600, tenths / 10 % 60, tenths % 10);
    return text;
}

void show_capture_progress(double done, double elapsed, double seconds, double total, bool last) {
    static double shown = -1;
    const bool terminal = isatty(2);
    if (!last && shown >= 0 && elapsed - shown < (terminal ? 0.5 : 10)) return;
    shown = elapsed;
    done = std::clamp(done, 0.0, 1.0);
    // Nothing to scale from until some work is done.
    const double left = done > 0.005 ? elapsed * (1 - done) / done : -1;
    const int bar = static_cast<int>(done * 30);
    std::fprintf(stderr, "\r[%.*s%*s] %5.1f%%", bar, "##############################", 30 - bar, "",
                 done * 100);
    if (seconds >= 0)
        std::fprintf(stderr, "  %s of %s", span_text(seconds).c_str(), span_text(total).c_str());
    if (left >= 0)
        std::fprintf(stderr, "  about %d:%02d left ", static_cast<int>(left) / 60,
                     static_cast<int>(left) % 60);
    else
        std::fprintf(stderr, "  time left: measuring ");
    if (!terminal) std::fputc('\n', stderr);
}
