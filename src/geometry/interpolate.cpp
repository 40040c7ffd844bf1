#include "geometry/interpolate.h"

#include "platform/error_log.h"

namespace {

// Every component of one draw uses the same t, so its powers are kept.
InterpolationWeights cubicCache = {0.0, 0.0, 0.0};

}  // namespace

InterpolationWeights WeightsFor(float t)
{
    if (t != cubicCache.t) {
        cubicCache.t = t;
        cubicCache.t2 = double(t) * t;
        cubicCache.t3 = cubicCache.t2 * t;
    }
    return cubicCache;
}

float Interpolate(const float p[4], float t, uint8_t method)
{
    switch (method) {
    case 0:
        return p[2];
    case 1:
        return InterpolateLinear(p[2], p[3], InterpolationWeights{t, 0.0, 0.0});
    case 2:
        return InterpolateCubic(p[0], p[1], p[2], p[3], WeightsFor(t));
    default:
        ReportError("Invalid interpolation method");
        return 0.0f;
    }
}
