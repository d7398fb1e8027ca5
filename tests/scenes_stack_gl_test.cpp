// The driver's model-view stack, once limited, holds exactly 32 entries.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include "scenes/matrix_stack.h"
#include "support/gl_window.h"

namespace {
GLint stack_depth() {
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    return depth;
}
}  // namespace

TEST(DriverStack, LimitedStackTakesThirtyOneSavesAndIgnoresTheRest) {
    open_test_window();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    ASSERT_EQ(stack_depth(), 1);
    limit_modelview_stack();
    limit_modelview_stack();  // a second call changes nothing
    GLint base = stack_depth();
    GLint driver_max = 0;
    glGetIntegerv(GL_MAX_MODELVIEW_STACK_DEPTH, &driver_max);
    EXPECT_EQ(base, 1 + stack_filler_count(driver_max));
    int taken = 0;
    for (int k = 0; k < 60; ++k) {
        GLint before = stack_depth();
        glPushMatrix();
        taken += stack_depth() > before;
    }
    while (glGetError() != GL_NO_ERROR) {
    }
    EXPECT_EQ(taken, 31);
    // A save on the full stack is ignored; its restore removes the entry below.
    glScalef(2.0f, 2.0f, 2.0f);
    glPushMatrix();
    glPopMatrix();
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    EXPECT_EQ(m[0], 1.0f);
    while (stack_depth() > base) glPopMatrix();
    while (glGetError() != GL_NO_ERROR) {
    }
}
