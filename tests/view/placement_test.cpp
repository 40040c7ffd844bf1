#include <gtest/gtest.h>

#include "view/placement.h"

TEST(VectorHelpers, NormalizeScalesToUnitAndReturnsTheLength)
{
    float v[3] = {3, 0, 4};
    EXPECT_FLOAT_EQ(VectorNormalize(v), 5.0f);
    EXPECT_FLOAT_EQ(v[0], 0.6f);
    EXPECT_FLOAT_EQ(v[1], 0.0f);
    EXPECT_FLOAT_EQ(v[2], 0.8f);

    float zero[3] = {0, 0, 0};
    EXPECT_EQ(VectorNormalize(zero), 0.0f);
    EXPECT_EQ(zero[0], 0.0f);
    EXPECT_EQ(zero[1], 0.0f);
    EXPECT_EQ(zero[2], 0.0f);
}

TEST(VectorHelpers, CrossAddScaledAndTransform)
{
    const float x[3] = {1, 0, 0}, y[3] = {0, 1, 0}, z[3] = {0, 0, 1};
    float out[3];
    VectorCross(x, y, out);
    EXPECT_EQ(out[0], 0.0f);
    EXPECT_EQ(out[1], 0.0f);
    EXPECT_EQ(out[2], 1.0f);
    VectorCross(y, z, out);  // the start-up camera's axisX
    EXPECT_EQ(out[0], 1.0f);

    float a[3] = {1, 2, 3};
    const float b[3] = {1, -1, 0.5f};
    VectorAddScaled(a, 2.0f, b, a);  // in place
    EXPECT_FLOAT_EQ(a[0], 3.0f);
    EXPECT_FLOAT_EQ(a[1], 0.0f);
    EXPECT_FLOAT_EQ(a[2], 4.0f);

    const float identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    const float rows[9] = {0, 1, 0, 0, 0, 1, 1, 0, 0};  // row by row: out = (v1, v2, v0)
    const float v[3] = {7, 8, 9};
    TransformVector(identity, v, out);
    EXPECT_EQ(out[0], 7.0f);
    EXPECT_EQ(out[1], 8.0f);
    EXPECT_EQ(out[2], 9.0f);
    TransformVector(rows, v, out);
    EXPECT_EQ(out[0], 8.0f);
    EXPECT_EQ(out[1], 9.0f);
    EXPECT_EQ(out[2], 7.0f);
}
