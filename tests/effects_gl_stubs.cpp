// Stand-ins for the render target name and the clock until their
// owners are linked in; weak, so the real definitions win once they are.
#include <GL/glew.h>

__attribute__((weak)) GLuint overlay_target = 0;
__attribute__((weak)) float demo_time = 0;
