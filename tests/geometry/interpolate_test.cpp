#include <gtest/gtest.h>

#include "geometry/interpolate.h"
#include "support/gl_context.h"
#include "support/test_files.h"

TEST(Interpolate, NoneLinearAndCubicAtEachFraction)
{
    // Values of the four window frames, the fraction, the method, the result.
    const struct {
        float p[4], t;
        uint8_t method;
        float expected;
    } cases[] = {{{100, 200, 2, 6}, 0.9f, 0, 2},  {{100, 200, 2, 6}, 0, 1, 2},    {{100, 200, 2, 6}, 0.25f, 1, 3},
                 {{100, 200, 2, 6}, 1, 1, 6},     {{100, 200, 2, 6}, -0.5f, 1, 0},  // extrapolates
                 {{0, 0, 5, 5}, 0.7f, 1, 5},      {{0, 0, 1, 1}, 0.5f, 2, 0.5f},   {{0, 1, 2, 3}, 0.5f, 2, 1.5f},
                 {{0, 1, 2, 3}, 0, 2, 1},         {{0, 1, 2, 3}, 1, 2, 2},         {{4, 4, 4, 4}, 0.3f, 2, 4},
                 {{0, 0, 1, 2}, 0.5f, 2, 0.4375f}, {{0, 0, 1, 2}, 0.5f, 2, 0.4375f},  // the cached powers again
                 {{0, 0, 1, 2}, 1, 2, 1}};
    for (const auto& c : cases)
        EXPECT_FLOAT_EQ(Interpolate(c.p, c.t, c.method), c.expected) << int(c.method) << " at " << c.t;
    ErrorCapture errors;
    Printed([&cases] { EXPECT_EQ(Interpolate(cases[0].p, 0.5f, 3), 0.0f); });
    EXPECT_TRUE(errors.Has("Invalid interpolation method"));
}
