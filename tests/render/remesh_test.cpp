#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>

#include "core/viewer_state.h"
#include "models/model_list.h"
#include "render/remesh.h"
#include "support/gl_context.h"
#include "support/test_files.h"

namespace {

RemeshVertex At(float x, float y, float z, float nx, float ny, float nz)
{
    RemeshVertex v = {};
    v.position[0] = x, v.position[1] = y, v.position[2] = z;
    v.normal[0] = nx, v.normal[1] = ny, v.normal[2] = nz;
    return v;
}

RemeshVertex MidpointOf(const RemeshVertex& a, const RemeshVertex& b)
{
    RemeshPolygon edge = {2, {a, b, {}}}, midpoints;
    ComputeEdgeMidpoints(&edge, &midpoints, remeshTension);
    return midpoints.vertices[0];
}

}  // namespace

TEST(Remesh, FlatEdgesKeepTheStraightMidpointAndCurvedOnesBulge)
{
    RemeshVertex flat = MidpointOf(At(0, 0, 0, 0, 0, 1), At(2, 0, 0, 0, 0, 1));
    EXPECT_FLOAT_EQ(flat.position[0], 1.0f);
    EXPECT_FLOAT_EQ(flat.position[2], 0.0f);
    EXPECT_FLOAT_EQ(flat.normal[2], 1.0f);

    // Normals tilted away from each other: the surface curves outward, up.
    const float s = std::sqrt(0.5f);
    RemeshVertex curved = MidpointOf(At(0, 0, 0, -s, 0, s), At(2, 0, 0, s, 0, s));
    EXPECT_FLOAT_EQ(curved.position[0], 1.0f);
    EXPECT_GT(curved.position[2], 0.2f);
    EXPECT_NEAR(curved.normal[0], 0.0f, 1e-6);

    RemeshVertex a = At(1, 1, 1, 0, 0, 1);
    a.texCoord[0] = 0.25f;
    RemeshVertex b = At(1, 1, 5, 0, 0, 1);  // along its normals: no tangent plane direction
    b.texCoord[0] = 0.75f;
    RemeshVertex parallel = MidpointOf(a, b);
    EXPECT_FLOAT_EQ(parallel.position[2], 3.0f);
    EXPECT_FLOAT_EQ(parallel.texCoord[0], 0.5f);
    RemeshVertex zero = MidpointOf(a, a);
    EXPECT_FLOAT_EQ(zero.position[0], 1.0f);
}

TEST(Remesh, OppositeNormalsGiveTheFirstOneAndAWarning)
{
    ErrorCapture errors;
    testing::internal::CaptureStdout();
    RemeshVertex m = MidpointOf(At(0, 0, 0, 0, 1, 0), At(1, 0, 0, 0, -1, 0));
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(m.normal[1], 1.0f);
    EXPECT_TRUE(errors.Has("Warning: 0 normal!"));
}

TEST(RemeshDeathTest, CallsOutOfOrderEndTheProgram)
{
    EXPECT_EXIT(
        {
            dup2(2, 1);
            remeshEnd();
        },
        testing::ExitedWithCode(0), "remeshEnd: number of vertices is not 3");
    EXPECT_EXIT(
        {
            dup2(2, 1);
            remeshVertex3f(0, 0, 0);
            remeshBegin();
        },
        testing::ExitedWithCode(0), "Call to remeshBegin\\(\\) when numVertices != 0");
    EXPECT_EXIT(
        {
            dup2(2, 1);
            for (int i = 0; i < 3; ++i)
                remeshVertex3f(0, 0, 0);
            remeshNormal3f(0, 0, 1);
        },
        testing::ExitedWithCode(0), "remeshNormal3f: maximum number of vertices exceeded");
}

TEST_F(ViewerTest, ThresholdStaysWhereARebuildWouldDrawTooMuch)
{
    TempDir dir;
    ErrorCapture errors;
    ASSERT_NE(AddModel(dir.Write("m.mdl", writers::WriteMdl(TinyMdl())).c_str()), nullptr);
    ChangeRemeshThreshold(1);  // remeshing off: no rise
    EXPECT_EQ(viewer.remeshThreshold, 1);
    ChangeRemeshThreshold(-1);
    ChangeRemeshThreshold(-1);
    EXPECT_EQ(viewer.remeshThreshold, 0);
    ToggleRemeshing();
    ChangeRemeshThreshold(1);
    EXPECT_EQ(viewer.remeshThreshold, 1);
    // Two triangles: 4 ^ 10 of each is within the bound, 4 ^ 11 is not.
    viewer.remeshThreshold = 10;
    ChangeRemeshThreshold(1);
    EXPECT_EQ(viewer.remeshThreshold, 10);
    EXPECT_TRUE(errors.Has("ChangeRemeshThreshold: a threshold of 11 would draw more than 4000000 triangles; "
                           "it stays at 10"));
    EXPECT_EQ(RemeshDepthFor(3000), 5);  // a bigger model loaded later is drawn less deep
}
