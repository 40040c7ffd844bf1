#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include "core/startup.h"
#include "core/viewer_state.h"
#include "support/gl_context.h"
#include "view/projection.h"

namespace {

struct Matrix {
    double m[16];
};

Matrix Current(GLenum which)
{
    Matrix out;
    glGetDoublev(which, out.m);
    return out;
}

Matrix Expected(void (*load)())
{
    glMatrixMode(GL_TEXTURE);  // a spare stack to build the expected matrix on
    glPushMatrix();
    glLoadIdentity();
    load();
    Matrix out = Current(GL_TEXTURE_MATRIX);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    return out;
}

void ExpectMatrixNear(const Matrix& a, const Matrix& b)
{
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(a.m[i], b.m[i], 1e-5) << "element " << i;
}

class Projection : public ViewerTest {};

}  // namespace

TEST_F(Projection, StartUpAndResizedWindowsKeepTheFieldOfView)
{
    ExpectMatrixNear(Current(GL_PROJECTION_MATRIX), Expected([] { gluPerspective(90, 640.0 / 480.0, 0.1, 500); }));
    Reshape(800, 400);
    EXPECT_EQ(viewer.windowWidth, 800);
    EXPECT_EQ(viewer.windowHeight, 400);
    ExpectMatrixNear(Current(GL_PROJECTION_MATRIX), Expected([] { gluPerspective(90, 2.0, 0.1, 500); }));
    // A window of no height is taken as one pixel high rather than dividing by zero.
    Reshape(300, 0);
    ExpectMatrixNear(Current(GL_PROJECTION_MATRIX), Expected([] { gluPerspective(90, 300.0, 0.1, 500); }));
    GLint matrixMode;
    glGetIntegerv(GL_MATRIX_MODE, &matrixMode);
    EXPECT_EQ(matrixMode, GL_MODELVIEW);
}

TEST_F(Projection, FieldOfViewWrapsWithinOneTo180)
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
    ExpectMatrixNear(Current(GL_PROJECTION_MATRIX), Expected([] { gluPerspective(5, 640.0 / 480.0, 0.1, 500); }));
}

TEST_F(Projection, CameraLooksAtTheFocalPointFromEachEye)
{
    glLoadIdentity();
    PlaceCamera(0.0f);
    ExpectMatrixNear(Current(GL_MODELVIEW_MATRIX), Expected([] { gluLookAt(0, 0, -100, 0, 0, 0, 0, 1, 0); }));
    glLoadIdentity();
    PlaceCamera(-5.0f);
    ExpectMatrixNear(Current(GL_MODELVIEW_MATRIX), Expected([] { gluLookAt(-5, 0, -100, 0, 0, 0, 0, 1, 0); }));
    glLoadIdentity();
    PlaceCamera(5.0f);
    ExpectMatrixNear(Current(GL_MODELVIEW_MATRIX), Expected([] { gluLookAt(5, 0, -100, 0, 0, 0, 0, 1, 0); }));
    glLoadIdentity();
}
