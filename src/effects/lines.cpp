// lines.cpp: GL submission of the sheet bridge and the cloud links: each
// segment its own line with its own width and colour.
#include "effects/lines.h"

#include <GL/glew.h>

#include <vector>

#include "core/clock.h"
#include "core/demo_state.h"
#include "physics/cloud.h"

namespace {

void set_line_state() {
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

// The segments in order, as GL_LINES: consecutive segments of one width go
// between one begin/end pair (GL merges separate pairs of one width into one
// primitive anyway), and the width is set only where it changes, which is
// what setting it before every segment came to.
void submit_segments(const std::vector<LineSegment>& segments) {
    bool open = false;
    for (size_t k = 0; k < segments.size(); k++) {
        const LineSegment& s = segments[k];
        if (!open || s.width != segments[k - 1].width) {
            if (open) glEnd();
            glLineWidth(s.width);
            glColor4f(s.red, s.green, s.blue, s.alpha);
            glBegin(GL_LINES);
            open = true;
        } else {
            glColor4f(s.red, s.green, s.blue, s.alpha);
        }
        glVertex3f(s.from.x, s.from.y, s.from.z);
        glVertex3f(s.to.x, s.to.y, s.to.z);
    }
    if (open) glEnd();
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

void draw_sheet_bridge(const LineBatch& bridge) {
    set_line_state();
    // Each strand's start switches texturing off; once is the same.
    if (bridge.strands > 0) glDisable(GL_TEXTURE_2D);
    submit_segments(bridge.segments);
}

void draw_cloud_links(const LineBatch& links) {
    set_line_state();
    submit_segments(links.segments);
}
