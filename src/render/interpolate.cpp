#include "render/interpolate.h"

#include "core/error_log.h"
#include "core/viewer_state.h"
#include "render/draw.h"

namespace {

// Every component of one draw uses the same t, so its powers are kept.
struct CubicCache {
    double t = 0.0;
    double t2 = 0.0;
    double t3 = 0.0;
};
CubicCache cubicCache;

}  // namespace

float Interpolate(const float p[4], float t, uint8_t method)
{
    switch (method) {
    case kInterpNone:
        return p[2];
    case kInterpLinear:
        if (p[2] == p[3])
            return p[2];
        return static_cast<float>(double(p[3]) * t + (1.0 - t) * double(p[2]));
    case kInterpCubic: {
        if (t != cubicCache.t) {
            cubicCache.t = t;
            cubicCache.t2 = double(t) * t;
            cubicCache.t3 = cubicCache.t2 * t;
        }
        double p0 = p[0], p1 = p[1], p2 = p[2], p3 = p[3];
        double m1 = (p2 - p0) / 2, m2 = (p3 - p1) / 2;
        return static_cast<float>((3 * p2 - 3 * p1 - 2 * m1 - m2) * cubicCache.t2 +
                                  (-2 * p2 + 2 * p1 + m1 + m2) * cubicCache.t3 + m1 * t + p1);
    }
    default:
        ReportError("Invalid interpolation method");
        return 0.0f;
    }
}

void ToggleInterpolationMethod(float)
{
    viewer.interpolationMethod = viewer.interpolationMethod >= kInterpCubic ? 0 : viewer.interpolationMethod + 1;
    UpdateAllDisplayLists();
}
