// cloud.h: the drifting cloud of 1000 points.
//
// The points drift through a cube of edge 36 around the origin and wrap at its
// faces. draw_cloud shows a faint web, a fading trail that jumps every 27 shown
// frames, and the points in three sizes, each layer in its own window of
// demo_time. The positions double as a flat array of 3000 doubles (x, y, z of
// point 0, then point 1, ...) handed to GL without copying.
// Depends on core/random.h, core/demo_state.h (trail_index, trail_time),
// core/clock.h (demo_time).
#pragma once

#include "physics/cloth.h"

constexpr int cloud_size = 1000;
constexpr double cloud_half_edge = 18.0;

// The cloud's state as one block: the points, and the frames counted toward
// the trail's next jump.
struct CloudState {
    Vec3 positions[cloud_size];
    int trail_counter = 0;
    bool operator==(const CloudState&) const = default;
};
extern CloudState cloud_state;
inline Vec3 (&cloud_positions)[cloud_size] = cloud_state.positions;

static_assert(sizeof(Vec3) == 3 * sizeof(double), "the cloud is read as a flat double array");
inline const double* cloud_flat() { return &cloud_positions[0].x; }

// Random start positions in [-18, 18]^3 (six draws per point, three used).
void init_cloud();
// One frame's drift, f = frame_step.
void update_cloud(double f);
// Draws the layers due at demo_time; needs a GL context. The trail jumps in
// the frame's advance (advance_trail, on every frame that shows it), not here.
void draw_cloud();

// The pure rules behind draw_cloud.
struct CloudLayers {
    bool web, trail, points;
};
CloudLayers cloud_layers(float time);
// Counts one frame of the trail at `time`; every 27th moves trail_index on by 100
// (back to 0 past 900) and stamps trail_time. Returns whether it jumped.
bool advance_trail(float time);
int next_trail_index(int index);
void reset_trail_counter();
// The fade e in [0, 1]: 1 right after a jump, 0 a second (10 tenths) later.
float trail_fade(float time, float jumped_at);
void trail_colour(float fade, float rgba[4]);
float trail_width(float fade);
// The trail's 40 vertices read 120 doubles from its start offset; a start
// that would read outside the cloud is not drawn.
constexpr int trail_vertices = 40;
inline bool trail_start_valid(int index) {
    return index >= 0 && index + 3 * trail_vertices <= 3 * cloud_size;
}
