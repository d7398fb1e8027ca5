// Stand-ins for the render target name, the clock and the cloud until their
// owners are linked in; weak, so the real definitions win once they are.
#include <GL/glew.h>

#include "physics/cloth.h"

__attribute__((weak)) GLuint overlay_target = 0;
__attribute__((weak)) float demo_time = 0;
__attribute__((weak)) Vec3 cloud_positions[1000];
