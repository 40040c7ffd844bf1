#include <gtest/gtest.h>

#include "render/interpolate.h"
#include "support/gl_context.h"

TEST(Interpolate, LinearRunsFromCurrentToNext)
{
    const float p[4] = {100, 200, 2, 6};
    EXPECT_FLOAT_EQ(Interpolate(p, 0.0f, 1), 2.0f);
    EXPECT_FLOAT_EQ(Interpolate(p, 0.25f, 1), 3.0f);
    EXPECT_FLOAT_EQ(Interpolate(p, 1.0f, 1), 6.0f);
    EXPECT_FLOAT_EQ(Interpolate(p, -0.5f, 1), 0.0f);  // negative fractions extrapolate
    const float same[4] = {0, 0, 5, 5};
    EXPECT_FLOAT_EQ(Interpolate(same, 0.7f, 1), 5.0f);
    EXPECT_FLOAT_EQ(Interpolate(p, 0.9f, 0), 2.0f);
}

TEST(Interpolate, CubicRunsFromPrevToCurrent)
{
    const float steps[4] = {0, 0, 1, 1};
    EXPECT_FLOAT_EQ(Interpolate(steps, 0.5f, 2), 0.5f);
    const float line[4] = {0, 1, 2, 3};
    EXPECT_FLOAT_EQ(Interpolate(line, 0.5f, 2), 1.5f);
    EXPECT_FLOAT_EQ(Interpolate(line, 0.0f, 2), 1.0f);
    EXPECT_FLOAT_EQ(Interpolate(line, 1.0f, 2), 2.0f);
    const float flat[4] = {4, 4, 4, 4};
    for (float t : {0.1f, 0.3f, 0.9f})
        EXPECT_FLOAT_EQ(Interpolate(flat, t, 2), 4.0f);
    // The cached powers follow t: the same t twice, then another.
    const float curve[4] = {0, 0, 1, 2};
    EXPECT_FLOAT_EQ(Interpolate(curve, 0.5f, 2), 0.4375f);
    EXPECT_FLOAT_EQ(Interpolate(curve, 0.5f, 2), 0.4375f);
    EXPECT_FLOAT_EQ(Interpolate(curve, 1.0f, 2), 1.0f);
}

TEST(Interpolate, AnUnknownMethodReportsAndGivesZero)
{
    ErrorCapture errors;
    const float p[4] = {1, 2, 3, 4};
    testing::internal::CaptureStdout();
    EXPECT_EQ(Interpolate(p, 0.5f, 3), 0.0f);
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(errors.Has("Invalid interpolation method"));
}
