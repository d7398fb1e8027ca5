// draw_stats.h: what the show's drawing submits to OpenGL each frame, counted.
//
// Every drawing routine adds the GL calls it made, the draws among them
// (begin/end pairs, glDrawArrays/glDrawElements, each display list called)
// and its line-width changes; the capture tool reads the totals once a frame
// and starts them again. A routine counts per item with known per-item costs,
// so counting costs a few additions, never a call of its own. No GL; main
// thread only.
#pragma once

struct DrawStats {
    long calls = 0;        // GL calls of every kind, the draws included
    long draws = 0;        // begin/end pairs, array draws, display lists called
    long line_widths = 0;  // glLineWidth calls
};

// Adds to the current frame's totals.
void draw_stats_add(long calls, long draws = 0, long line_widths = 0);

// The totals since the last take, which start again from zero.
DrawStats draw_stats_take();
