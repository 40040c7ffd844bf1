#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <functional>

#include "state/viewer_state.h"
#include "support/gl_context.h"
#include "view/projection.h"
#include "viewer/startup.h"

namespace {

// The matrix a call leaves against the one the GLU call given makes.
void ExpectMatrix(GLenum which, const std::function<void()>& made, const std::function<void()>& expected)
{
    double a[16], b[16];
    made();
    glGetDoublev(which, a);
    glMatrixMode(GL_TEXTURE);  // a spare stack to build the expected matrix on
    glLoadIdentity();
    expected();
    glGetDoublev(GL_TEXTURE_MATRIX, b);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(a[i], b[i], 1e-5) << "element " << i;
}

}  // namespace

TEST_F(ViewerTest, TheProjectionFollowsTheWindowAndTheCameraEachEye)
{
    // A window of no height is taken as one pixel high rather than dividing by zero.
    ExpectMatrix(GL_PROJECTION_MATRIX, [] { Reshape(300, 0); }, [] { gluPerspective(90, 300.0, 0.1, 500); });
    for (float eye : {0.0f, -5.0f, 5.0f})
        ExpectMatrix(GL_MODELVIEW_MATRIX, [eye] { glLoadIdentity(), PlaceCamera(eye); },
                     [eye] { gluLookAt(eye, 0, -100, 0, 0, 0, 0, 1, 0); });
    glLoadIdentity();
}

TEST_F(ViewerTest, FieldOfViewWrapsWithinOneTo180)
{
    const struct {
        int start;
        float amount;
        int expected;
    } cases[] = {{90, 10, 100}, {179, 1, 180}, {180, 1, 1}, {1, -1, 180}, {5, -10, 175}, {175, 10, 5}};
    for (const auto& c : cases) {
        viewer.fieldOfView = c.start;
        ChangeFieldOfView(c.amount);
        EXPECT_EQ(viewer.fieldOfView, c.expected) << c.start << " + " << c.amount;
    }
    ExpectMatrix(GL_PROJECTION_MATRIX, [] {}, [] { gluPerspective(5, 640.0 / 480.0, 0.1, 500); });
}
