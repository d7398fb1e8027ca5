// sheet_draw.cpp: submitting a sheet to OpenGL: fins and early strands from
// client-side vertex arrays, late strands as window-space quads.
// Depends on physics/sheet_draw.h, core/targets.h, core/demo_state.h,
// core/clock.h, core/draw_stats.h, core/wide_lines_draw.h.
#include "physics/sheet_draw.h"

#include <GL/glew.h>

#include <iterator>
#include <vector>

#include "core/clock.h"
#include "core/demo_state.h"
#include "core/draw_stats.h"
#include "core/parallel.h"
#include "core/targets.h"
#include "core/view.h"
#include "core/wide_lines_draw.h"

namespace {

void send_normal(const Vec3& n) {
    glNormal3f(static_cast<float>(n.x), static_cast<float>(n.y), static_cast<float>(n.z));
}
void to_floats(const Vec3& p, float out[3]) {
    out[0] = static_cast<float>(p.x);
    out[1] = static_cast<float>(p.y);
    out[2] = static_cast<float>(p.z);
}

// A fin corner as it goes to GL, worked out once per particle: a particle is
// a corner of up to four quads. Interleaved, so one set of pointers covers it.
struct FinCorner {
    float rgba[4];
    float normal[3];
    float st[2];
    float position[3];
};
std::vector<FinCorner> fin_corners;
std::vector<FinCorner> fin_vertices;  // the quads' corners in drawing order
std::vector<float> strand_points;     // every particle's position, as floats
std::vector<GLuint> strand_lines;     // the early strands' segments, two ends each
// Corner indices of every quad, column by column; they depend only on the
// sheet's shape, so they are built again only when it changes.
std::vector<GLuint> fin_quads;
int fin_quads_rows = -1, fin_quads_columns = -1;

void build_fin_quads(int R, int S) {
    if (R == fin_quads_rows && S == fin_quads_columns) return;
    fin_quads.clear();
    for (int j = 0; j + 1 < S; j++)
        for (int i = 0; i + 1 < R; i++) {
            const int corners[4][2] = {{i, j}, {i + 1, j}, {i + 1, j + 1}, {i, j + 1}};
            for (const auto& kl : corners) fin_quads.push_back(static_cast<GLuint>(kl[0] * S + kl[1]));
        }
    fin_quads_rows = R;
    fin_quads_columns = S;
}

// The early strands' segments, strand by strand from the root; like the fin
// quads, they depend only on the sheet's shape.
int strand_lines_rows = -1, strand_lines_columns = -1;

void build_strand_lines(int R, int S) {
    if (R == strand_lines_rows && S == strand_lines_columns) return;
    strand_lines.clear();
    for (int j = 0; j < S; j++)
        for (int i = 0; i + 1 < R; i++) {
            strand_lines.push_back(static_cast<GLuint>(i * S + j));
            strand_lines.push_back(static_cast<GLuint>((i + 1) * S + j));
        }
    strand_lines_rows = R;
    strand_lines_columns = S;
}

// The parts a sheet's fin corners are worked out in, where the helper shares them.
constexpr int fin_parts = 4;

void draw_fins(const ClothSheet& s, int style) {
    glShadeModel(GL_SMOOTH);
    glEnable(GL_CULL_FACE);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(1, 1, 1, 0.65f);
    int c = choose_sheet_texture(demo.cloth_texture, style, demo_time);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(textures[c]));
    const int R = s.rows, S = s.columns;
    fin_corners.resize(static_cast<size_t>(R) * static_cast<size_t>(S));
    build_fin_quads(R, S);
    fin_vertices.resize(fin_quads.size());
    // The corners, then every quad's own four corners, in the order the
    // immediate-mode pair sent them. Not indexed: drivers without quads of
    // their own (llvmpipe) split indexed quads along the other diagonal, which
    // moves the texture on these bent quads. Each in parts shared with the
    // helper thread.
    const int parts = parts_to_share(fin_parts);
    run_parts(parts, [&](int part) {
        const int end = static_cast<int>(part_begin(static_cast<size_t>(R), part + 1, parts));
        for (int k = static_cast<int>(part_begin(static_cast<size_t>(R), part, parts)); k < end; k++)
            for (int l = 0; l < S; l++) {
                const Particle& p = sheet_particle(s, k, l);
                FinCorner& f =
                    fin_corners[static_cast<size_t>(k) * static_cast<size_t>(S) + static_cast<size_t>(l)];
                const float grey = fin_grey(p.normal);
                f.rgba[0] = f.rgba[1] = f.rgba[2] = grey;
                f.rgba[3] = 0.65f;
                f.normal[0] = static_cast<float>(p.normal.x);
                f.normal[1] = static_cast<float>(p.normal.y);
                f.normal[2] = static_cast<float>(p.normal.z);
                fin_texture_coords(k, l, R, S, f.st);
                f.position[0] = static_cast<float>(p.position.x);
                f.position[1] = static_cast<float>(p.position.y);
                f.position[2] = static_cast<float>(p.position.z);
            }
    });
    run_parts(parts, [parts](int part) {
        const size_t end = part_begin(fin_quads.size(), part + 1, parts);
        for (size_t k = part_begin(fin_quads.size(), part, parts); k < end; k++)
            fin_vertices[k] = fin_corners[fin_quads[k]];
    });
    int calls = 9;
    if (!fin_vertices.empty()) {
        // All quads in one draw.
        const GLsizei stride = sizeof(FinCorner);
        glEnableClientState(GL_VERTEX_ARRAY);
        glEnableClientState(GL_NORMAL_ARRAY);
        glEnableClientState(GL_COLOR_ARRAY);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glColorPointer(4, GL_FLOAT, stride, fin_vertices[0].rgba);
        glNormalPointer(GL_FLOAT, stride, fin_vertices[0].normal);
        glTexCoordPointer(2, GL_FLOAT, stride, fin_vertices[0].st);
        glVertexPointer(3, GL_FLOAT, stride, fin_vertices[0].position);
        glDrawArrays(GL_QUADS, 0, static_cast<GLsizei>(fin_vertices.size()));
        glDisableClientState(GL_VERTEX_ARRAY);
        glDisableClientState(GL_NORMAL_ARRAY);
        glDisableClientState(GL_COLOR_ARRAY);
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        // The arrays leave the current attributes undefined; the pair left
        // those of its last corner, which what is drawn next starts from.
        const FinCorner& last = fin_vertices.back();
        glColor4fv(last.rgba);
        glNormal3fv(last.normal);
        glTexCoord2fv(last.st);
        calls += 17;
    }
    glDisable(GL_TEXTURE_2D);
    draw_stats_add(calls, fin_vertices.empty() ? 0 : 1);
}

void draw_early_strands(const ClothSheet& s) {
    static const GLfloat light_position[4] = {1.5f, 2.0f, 2.0f, 0.0f};
    static const GLfloat diffuse[4] = {0.0f, 0.8f, 0.8f, 1.0f};
    static const GLfloat specular[4] = {0.8f, 0.8f, 0.8f, 1.0f};
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glLightfv(GL_LIGHT0, GL_POSITION, light_position);
    glMaterialfv(GL_FRONT, GL_DIFFUSE, diffuse);
    glMaterialfv(GL_FRONT, GL_SPECULAR, specular);
    glMaterialf(GL_FRONT, GL_SHININESS, 150.0f);
    // Black source times the destination: the strands darken what is beneath.
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_COLOR, GL_DST_COLOR);
    glColor4f(0, 0, 0, 0);
    // The segments as separate lines, strand by strand from the root, the
    // order they always went in.
    const int R = s.rows, S = s.columns;
    strand_points.resize(s.particles.size() * 3);
    for (size_t k = 0; k < s.particles.size(); k++) {
        const Vec3& p = s.particles[k].position;
        strand_points[3 * k] = static_cast<float>(p.x);
        strand_points[3 * k + 1] = static_cast<float>(p.y);
        strand_points[3 * k + 2] = static_cast<float>(p.z);
    }
    build_strand_lines(R, S);
    int calls = 13;
    if (!strand_lines.empty()) {
        // Lighting is off, so the normals the pair sent changed no pixel; only
        // the last one, left as the current normal, is still sent.
        glEnableClientState(GL_VERTEX_ARRAY);
        glVertexPointer(3, GL_FLOAT, 0, strand_points.data());
        glDrawElements(GL_LINES, static_cast<GLsizei>(strand_lines.size()), GL_UNSIGNED_INT,
                       strand_lines.data());
        glDisableClientState(GL_VERTEX_ARRAY);
        send_normal(s.particles[strand_lines.back()].normal);
        calls += 5;
    }
    draw_stats_add(calls, strand_lines.empty() ? 0 : 1);
}

// Every segment has a width of its own. Drawn as GL lines, each would be a
// draw of its own after its width change; as window-space quads covering the
// pixels the smooth line covers, the whole pass is one draw and looks the same
// on drivers that cap smooth lines at a few pixels or at one. The quads are
// widened on the CPU with the matrices GL holds rather than in a vertex
// program: the clipping then matches a line's exactly, the shape is testable
// without a context, and the fixed-function fragment work stays as it was.
// The blend ignores alpha, so the quads need no coverage, only its extent.
// The strands are widened in parts shared with the helper thread, a mesh
// each, drawn in order.
constexpr int strand_parts = 4;
WideLineMesh late_strands[strand_parts];

// The strands from column `first` up to `end`, starting from the width set
// before them; gives the look of the last segment and the width it leaves.
struct StrandRun {
    float width;
    StrandSegmentLook look;
};

StrandRun widen_late_strands(const ClothSheet& s, int first, int end, float width, const LineSpace& space,
                             WideLineMesh& mesh) {
    clear_wide_lines(mesh, false);
    StrandSegmentLook look{};
    WideLine run[256];  // small enough to stay in the cache on its way through
    size_t filled = 0;
    for (int j = first; j < end; j++)
        for (int i = 0; i + 1 < s.rows; i++) {
            look = late_segment_look(s, i, j);
            if (look.width > 0) width = look.width;
            WideLine& l = run[filled++];
            to_floats(sheet_particle(s, i, j).position, l.a);
            to_floats(sheet_particle(s, i + 1, j).position, l.b);
            l.width = width;
            for (int k = 0; k < 4; k++) l.rgba_a[k] = look.near_rgba[k], l.rgba_b[k] = look.far_rgba[k];
            if (filled == std::size(run)) add_wide_lines(mesh, space, run, filled), filled = 0;
        }
    add_wide_lines(mesh, space, run, filled);
    return {width, look};
}

// The width in force after the strands before column `end`: that of the last
// segment there whose width is above zero, else `start`.
float width_before(const ClothSheet& s, int end, float start) {
    for (int j = end - 1; j >= 0; j--)
        for (int i = s.rows - 2; i >= 0; i--) {
            const float w = late_segment_look(s, i, j).width;
            if (w > 0) return w;
        }
    return start;
}

void draw_late_strands(const ClothSheet& s) {
    glDisable(GL_LIGHTING);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_COLOR, GL_DST_COLOR);
    const WideLineView view = current_line_view();
    // draw_sheet has set a width of 1; far from the anchor the width comes
    // out zero or negative, and the width set before stays, as GL would keep
    // it on a rejected value, across the parts as well.
    const int parts = parts_to_share(strand_parts);
    int first[strand_parts + 1];
    float start[strand_parts];
    for (int p = 0; p <= parts; p++)
        first[p] = static_cast<int>(part_begin(static_cast<size_t>(s.columns), p, parts));
    for (int p = 0; p < parts; p++) start[p] = width_before(s, first[p], 1.0f);
    StrandRun runs[strand_parts];
    run_parts(parts, [&](int p) {
        runs[p] = widen_late_strands(s, first[p], first[p + 1], start[p], view.space, late_strands[p]);
    });
    draw_wide_lines(view, late_strands, static_cast<size_t>(parts));
    // The width and colour the last line left, for whatever draws next.
    int lines = 0, last = 0;
    for (int p = 0; p < parts; p++)
        if (late_strands[p].lines > 0) lines += late_strands[p].lines, last = p;
    glLineWidth(runs[parts - 1].width);
    if (lines > 0) glColor4fv(runs[last].look.far_rgba);
    draw_stats_add(lines > 0 ? 5 : 4, 0, 1);
}

}  // namespace

void prepare_sheet_drawing() {
    // All in the first mesh, or, where the work is shared, a part in each.
    const size_t segments = static_cast<size_t>(sheet_columns) * (sheet_rows - 1);
    reserve_wide_lines(late_strands[0], segments);
    if (parts_to_share(strand_parts) > 1)
        for (int part = 1; part < strand_parts; part++)
            reserve_wide_lines(late_strands[part],
                               static_cast<size_t>(sheet_columns / strand_parts + 1) * (sheet_rows - 1));
}

void draw_sheet(const ClothSheet& sheet, int mode, int style) {
    if (mode == 1) {
        draw_fins(sheet, style);
    } else if (mode == 0) {
        glLineWidth(1);
        draw_stats_add(1, 0, 1);
        if (demo_time < 600)
            draw_early_strands(sheet);
        else
            draw_late_strands(sheet);
    }
}
