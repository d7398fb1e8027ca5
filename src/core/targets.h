// targets.h: the handles of the render targets and image textures, and the
// size of the composed picture: what every drawing subsystem addresses by name.
//
// The frame loop creates the targets and loads the textures at start-up
// (app/targets.h); here are only the names, so this layer needs no GL library.
#pragma once

extern unsigned scene_fbo, scene_target, scene_depth;        // 1600 x 900
extern unsigned overlay_fbo, overlay_target, overlay_depth;  // 238 x 80
extern int textures[100];                                    // slots 1..49 hold the images

extern int window_width, window_height;  // the composed picture's size: 1280 x 720
