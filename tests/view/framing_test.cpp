#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "render/draw.h"
#include "render/tags.h"
#include "scene/model_list.h"
#include "state/viewer_state.h"
#include "support/gl_context.h"
#include "support/test_files.h"
#include "view/framing.h"
#include "view/projection.h"

namespace {

// Where the corners of the model's frame bounds land in the window, as the
// display would draw them: the left, right, bottom, top and the depth range.
struct Landing {
    double left = 1e9, right = -1e9, bottom = 1e9, top = -1e9, nearest = 1e9, farthest = -1e9;
};

Landing Project(ModelObject* model)
{
    float min[3], max[3];
    EXPECT_TRUE(ModelFrameBounds(model, min, max));
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    PlaceCamera(0.0f);
    ApplyModelPlacement(model);
    double modelview[16], projection[16];
    int viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    glLoadIdentity();
    Landing l;
    for (int corner = 0; corner < 8; ++corner) {
        double x, y, z;
        gluProject(corner & 1 ? max[0] : min[0], corner & 2 ? max[1] : min[1], corner & 4 ? max[2] : min[2],
                   modelview, projection, viewport, &x, &y, &z);
        l.left = std::min(l.left, x), l.right = std::max(l.right, x);
        l.bottom = std::min(l.bottom, y), l.top = std::max(l.top, y);
        l.nearest = std::min(l.nearest, z), l.farthest = std::max(l.farthest, z);
    }
    return l;
}

}  // namespace

TEST_F(ViewerTest, FramingFillsEightyPercentFromAnyDirectionAndMovesTheFarPlaneForGiants)
{
    writers::Md2Model giant = TinyMd2(), tiny = TinyMd2();
    for (writers::Frame& frame : giant.frames)
        for (float& s : frame.scale)
            s *= 40;
    for (writers::Frame& frame : tiny.frames)
        for (float& s : frame.scale)
            s /= 100;
    const struct {
        writers::Md2Model model;
        float yaw, pitch;
    } cases[] = {{TinyMd2(), 0, 0}, {TinyMd2(), 0, -20}, {TinyMd2(), 70, 35}, {tiny, 0, -20}, {giant, 0, -20}};
    for (const auto& c : cases) {
        ModelObject* model = Load(c.model);
        ASSERT_NE(model, nullptr);
        viewer.controlMode = kModeFly;
        viewer.orbitYaw = c.yaw, viewer.orbitPitch = c.pitch;
        FrameCurrentModel();
        EXPECT_EQ(viewer.controlMode, kModeOrbit);
        Landing l = Project(model);
        double width = (l.right - l.left) / viewer.windowWidth, height = (l.top - l.bottom) / viewer.windowHeight;
        EXPECT_NEAR(std::max(width, height), 0.8, 0.001) << c.yaw << " " << c.pitch;
        EXPECT_NEAR((l.left + l.right) / 2, viewer.windowWidth / 2.0, viewer.windowWidth * 0.12);
        EXPECT_NEAR((l.bottom + l.top) / 2, viewer.windowHeight / 2.0, viewer.windowHeight * 0.12);
        EXPECT_GT(l.nearest, 0.0);
        EXPECT_LT(l.farthest, 1.0);
        RemoveModel();
    }
    EXPECT_GT(viewer.farDistance, 500.0f);  // the giant
}

// A model that would be a speck where the camera starts is framed on load;
// one of ordinary size is left where the camera shows it.
TEST_F(ViewerTest, ASpeckIsFramedOnLoad)
{
    writers::Md2Model speck = TinyMd2();
    for (writers::Frame& frame : speck.frames)
        for (float& s : frame.scale)
            s /= 100;
    const struct {
        writers::Md2Model model;
        bool framed;
    } cases[] = {{speck, true}, {TinyMd2(), false}};
    for (const auto& c : cases) {
        ResetViewer();
        Placement start = viewer.camera;
        ModelObject* model = Load(c.model);
        ASSERT_NE(model, nullptr);
        Landing l = Project(model);
        double span = std::max((l.right - l.left) / viewer.windowWidth, (l.top - l.bottom) / viewer.windowHeight);
        if (c.framed)
            EXPECT_NEAR(span, 0.8, 0.001);
        else
            EXPECT_EQ(memcmp(&start, &viewer.camera, sizeof start), 0);
        RemoveModel();
    }
}
