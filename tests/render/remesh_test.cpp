#include <gtest/gtest.h>

#include <cmath>

#include "render/remesh.h"
#include "render/render_commands.h"
#include "scene/model_list.h"
#include "state/viewer_state.h"
#include "support/gl_context.h"
#include "support/test_files.h"

namespace {

RemeshVertex At(float x, float z, float nx, float ny, float nz, float s = 0)
{
    RemeshVertex v = {};
    v.position[0] = x, v.position[2] = z;
    v.normal[0] = nx, v.normal[1] = ny, v.normal[2] = nz;
    v.texCoord[0] = s;
    return v;
}

}  // namespace

TEST(Remesh, MidpointsFollowTheNormalsOrTheStraightLine)
{
    const float r = std::sqrt(0.5f);
    // Two ends, the midpoint's x and z, its normal's x and y, its s.
    const struct {
        RemeshVertex a, b;
        float x, z, nx, ny, s;
        bool warns;
    } cases[] = {
        {At(0, 0, 0, 0, 1), At(2, 0, 0, 0, 1), 1, 0, 0, 0, 0, false},             // flat: the straight midpoint
        {At(0, 0, -r, 0, r), At(2, 0, r, 0, r), 1, r / 2, 0, 0, 0, false},       // tilted apart: bulges up
        {At(1, 1, 0, 0, 1, 0.25f), At(1, 5, 0, 0, 1, 0.75f), 1, 3, 0, 0, 0.5f, false},  // along the normals
        {At(1, 1, 0, 0, 1), At(1, 1, 0, 0, 1), 1, 1, 0, 0, 0, false},             // a zero edge
        {At(0, 0, 0, 1, 0), At(1, 0, 0, -1, 0), 0.5f, 0, 0, 1, 0, true},         // opposite normals: the first
    };
    for (const auto& c : cases) {
        RemeshPolygon edge = {2, {c.a, c.b, {}}}, midpoints;
        ErrorCapture errors;
        Printed([&] { ComputeEdgeMidpoints(&edge, &midpoints, remeshTension); });
        const RemeshVertex& m = midpoints.vertices[0];
        EXPECT_FLOAT_EQ(m.position[0], c.x);
        EXPECT_NEAR(m.position[2], c.z, 1e-6);
        EXPECT_NEAR(m.normal[0], c.nx, 1e-6);
        EXPECT_EQ(m.normal[1], c.ny);
        EXPECT_FLOAT_EQ(m.texCoord[0], c.s);
        EXPECT_EQ(errors.Has("Warning: 0 normal!"), c.warns);
    }
}

TEST_F(ViewerTest, ThresholdStaysWhereARebuildWouldDrawTooMuch)
{
    ErrorCapture errors;
    ASSERT_NE(Load(TinyMdl()), nullptr);
    // Remeshing, the change, the threshold after it: a rise needs remeshing on;
    // two triangles at 4 ^ 10 stay within the bound, 4 ^ 11 would not.
    const struct {
        bool remeshing;
        float change;
        int threshold;
    } steps[] = {{false, 1, 1}, {false, -1, 0}, {false, -1, 0}, {true, 1, 1}, {true, 9, 10}, {true, 1, 10}};
    for (const auto& s : steps) {
        viewer.remeshing = s.remeshing;
        ChangeRemeshThreshold(s.change);
        EXPECT_EQ(viewer.remeshThreshold, s.threshold);
    }
    EXPECT_TRUE(errors.Has("ChangeRemeshThreshold: a threshold of 11 would draw more than 4000000 triangles; "
                           "it stays at 10"));
    EXPECT_EQ(RemeshDepthFor(3000), 5);  // a bigger model loaded later is drawn less deep
    ToggleRemeshing();
    EXPECT_FALSE(viewer.remeshing);
}

// An MD3's surfaces are remeshed, so their triangles count towards the bound.
TEST_F(ViewerTest, ThresholdCountsQuakeThreeSurfaces)
{
    writers::Md3Model md3;
    md3.frameNames = {"a"};
    md3.surfaces = {TinySurface("one", 1), TinySurface("two", 1)};  // four triangles: 4 ^ 10 of them is too many
    ASSERT_NE(AddModel(dir.Write("a.md3", writers::WriteMd3(md3)).c_str()), nullptr);
    ErrorCapture errors;
    viewer.remeshing = true;
    ChangeRemeshThreshold(8);  // from 1
    ChangeRemeshThreshold(1);
    EXPECT_EQ(viewer.remeshThreshold, 9);
    EXPECT_TRUE(errors.Has("ChangeRemeshThreshold: a threshold of 10 would draw more than 4000000 triangles"));
}
