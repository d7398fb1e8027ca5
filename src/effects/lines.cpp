// lines.cpp: GL submission of the sheet bridge and the cloud links: each
// segment a smooth line with its own width and colour, all of a batch in one draw.
#include "effects/lines.h"

#include <GL/glew.h>

#include <iterator>
#include <vector>

#include "core/clock.h"
#include "core/demo_state.h"
#include "core/draw_stats.h"
#include "core/parallel.h"
#include "core/wide_lines_draw.h"
#include "physics/cloud.h"

namespace {

void set_line_state() {
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

// The segments in order, as window-space quads with their coverage (the
// blend is by alpha, so how much of a pixel a line covers counts as well as
// which pixels it touches): widened in parts shared with the helper thread,
// each into a mesh of its own, drawn in order. Leaves the width and colour
// the last segment set, as drawing them one by one did.
constexpr int line_parts = 8;
WideLineMesh line_quads[line_parts];

void widen_segments(const LineSegment* segments, size_t count, const LineSpace& space, WideLineMesh& mesh) {
    clear_wide_lines(mesh, true);
    // In runs small enough to stay in the cache on their way through.
    WideLine run[256];
    size_t filled = 0;
    for (size_t k = 0; k < count; k++) {
        const LineSegment& s = segments[k];
        WideLine& l = run[filled++];
        l = {{s.from.x, s.from.y, s.from.z},
             {s.to.x, s.to.y, s.to.z},
             s.width,
             {s.red, s.green, s.blue, s.alpha},  // clamped as GL would by add_wide_lines
             {s.red, s.green, s.blue, s.alpha}};
        if (filled == std::size(run)) add_wide_lines(mesh, space, run, filled), filled = 0;
    }
    add_wide_lines(mesh, space, run, filled);
}

void submit_segments(const std::vector<LineSegment>& segments) {
    if (segments.empty()) return;
    const WideLineView view = current_line_view();
    const size_t n = segments.size();
    const int parts = parts_to_share(line_parts);
    run_parts(parts, [&](int part) {
        const size_t begin = part_begin(n, part, parts), end = part_begin(n, part + 1, parts);
        widen_segments(segments.data() + begin, end - begin, view.space, line_quads[part]);
    });
    draw_wide_lines(view, line_quads, static_cast<size_t>(parts));
    const LineSegment& last = segments.back();
    glLineWidth(last.width);
    glColor4f(last.red, last.green, last.blue, last.alpha);
    draw_stats_add(2, 0, 1);
}

}  // namespace

void collect_sheet_bridge(const ClothSheet& a, const ClothSheet& b, LineBatch& out) {
    out.segments.clear();
    out.strands = 0;
    for_each_sheet_bridge_segment(
        a, b, demo_time, demo.shade_switch, [&out](int) { out.strands++; },
        [&out](const LineSegment& s) { out.segments.push_back(s); });
}

void collect_cloud_links(const ClothSheet& s, LineBatch& out) {
    out.segments.clear();
    out.strands = 0;
    for_each_cloud_link(s, cloud_positions, demo_time, demo.shade_switch,
                        [&out](const LineSegment& segment) { out.segments.push_back(segment); });
}

void prepare_line_drawing() {
    // The grown bridge is 33,734 segments, the links 2,160 a sheet.
    // All in the first mesh, or, where the work is shared, a part in each.
    reserve_wide_lines(line_quads[0], 36000);
    if (parts_to_share(line_parts) > 1)
        for (int part = 1; part < line_parts; part++)
            reserve_wide_lines(line_quads[part], 36000 / line_parts + 1);
}

void draw_sheet_bridge(const LineBatch& bridge) {
    set_line_state();
    // Each strand's start switches texturing off; once is the same.
    if (bridge.strands > 0) glDisable(GL_TEXTURE_2D);
    draw_stats_add(bridge.strands > 0 ? 6 : 5);
    submit_segments(bridge.segments);
}

void draw_cloud_links(const LineBatch& links) {
    set_line_state();
    draw_stats_add(5);
    submit_segments(links.segments);
}
