// timeline.h: the scene timeline, which draws the whole show frame by frame.
//
// Called once per frame by the display callback with the scene target bound,
// the viewport, perspective projection, identity model-view and clear colour
// set. It decides from demo_time (the previous frame's), the demo state and
// its own state below what is drawn, switches the music to the finale once,
// and hands over to the hidden part for good once that is on. Depends on
// every drawing subsystem (effects, physics, text) and on the music player.
#pragma once

// State of the timeline, read by the captions and closing sequence.
extern int finale_started;  // 1 once the music has switched to the finale stream
extern float glow_time;     // time of the small sphere's last glow pulse
extern int glow_counter;    // frames counted toward the next glow pulse
extern int attrib_saved;    // 1 once a frame has left all attribute groups saved

void scene_timeline();

// Makes the driver's model-view stack behave as the show's 32 entries; the
// first frame does it anyway, the frame loop may call it earlier.
void init_timeline();

// Puts the timeline's state back to its initial values (tests use this).
void reset_timeline();
