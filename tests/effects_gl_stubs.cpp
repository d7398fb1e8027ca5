// Stand-in for the render target name until the frame loop's targets are
// linked in; weak, so the real definition wins once it is there.
#include <GL/glew.h>

__attribute__((weak)) GLuint overlay_target = 0;
