// draw_stats.cpp: the running totals behind draw_stats.h.
#include "core/draw_stats.h"

namespace {
DrawStats totals;
}  // namespace

void draw_stats_add(long calls, long draws, long line_widths) {
    totals.calls += calls;
    totals.draws += draws;
    totals.line_widths += line_widths;
}

DrawStats draw_stats_take() {
    DrawStats taken = totals;
    totals = DrawStats{};
    return taken;
}
