// timeline.h: the scene timeline, which runs the whole show frame by frame.
//
// A front end and a back end. advance_scene decides from demo_time (the
// previous frame's), the demo state and its own state below what the frame
// shows, and makes every change of state the frame makes: it switches the
// music to the finale once, hands over to the hidden part for good once that
// is on, and records what the drawing needs in a SceneFrame. draw_scene then
// submits that frame to GL, with the scene target bound and the viewport,
// perspective projection, identity model-view and clear colour set; it reads
// state and changes none, so frames can be stepped without drawing them.
// Depends on every drawing subsystem (effects, physics, text) and on the
// music player.
#pragma once

#include "effects/lines.h"
#include "scenes/captions.h"
#include "scenes/flashes.h"

// State of the timeline, read by the captions and closing sequence: one
// block, and its fields under the names the scenes read.
struct TimelineState {
    int finale_started = 0;   // 1 once the music has switched to the finale stream
    float glow_time = -1.0f;  // time of the small sphere's last glow pulse
    int glow_counter = 0;     // frames counted toward the next glow pulse
    bool operator==(const TimelineState&) const = default;
};
extern TimelineState timeline_state;
inline int& finale_started = timeline_state.finale_started;
inline float& glow_time = timeline_state.glow_time;
inline int& glow_counter = timeline_state.glow_counter;

// What the advance decided for one frame, for the drawing to show: the values
// drawn from the shared generator, the anchors the camera was placed from
// before the noise moved them, and the results of the clocks it stepped.
struct Anchor {
    float x, y, z;
};
struct SceneFrame {
    float time = 0;     // demo_time the frame was decided on
    double time_d = 0;  // its double copy
    bool hidden = false;
    Anchor camera_a{}, camera_b{};
    FlashFrame flashes;
    bool lattice = false;
    LineBatch bridge, links_a, links_b;
    float glow_fade = 0;
    BurstFrame burst;
    PanelPose panel_pose{};
};

// Every state change of one frame of the timeline, in the order the drawing
// used to make them: the finale switch, the anchors' spin and noise, the
// flashes, the trail, the lattice block (bridge and links, glow, fin normals,
// burst, ticker) and the closing sequence; or the hidden part's frame.
// Makes no GL call.
void advance_scene();
// Draws the frame the last advance decided, from state it only reads.
void draw_scene();
// The one change a main-show frame makes after its drawing: the roots move to
// the anchors, so the sheets are drawn where the last frame left them.
void end_scene();

// Whether the next frame, as the state stands, draws the lattice block and
// with it the captions.
bool next_frame_draws_captions();

// Makes the driver's model-view stack behave as the show's 32 entries; the
// first frame does it anyway, the frame loop may call it earlier.
void init_timeline();

// Puts the timeline's state back to its initial values (tests use this).
void reset_timeline();
