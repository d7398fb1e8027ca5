// lines.cpp: GL submission of the sheet bridge and the cloud links: each
// segment its own line with its own width and colour.
#include "effects/lines.h"

#include <GL/glew.h>

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

// One begin/end per line: measured faster on the software rasteriser than
// gathering the lines into one primitive.
void submit_segment(const LineSegment& s) {
    glLineWidth(s.width);
    glColor4f(s.red, s.green, s.blue, s.alpha);
    glBegin(GL_LINES);
    glVertex3f(s.from.x, s.from.y, s.from.z);
    glVertex3f(s.to.x, s.to.y, s.to.z);
    glEnd();
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
    for (const LineSegment& s : bridge.segments) submit_segment(s);
}

void draw_cloud_links(const LineBatch& links) {
    set_line_state();
    for (const LineSegment& s : links.segments) submit_segment(s);
}
