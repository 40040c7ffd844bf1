#pragma once

#include <cstdint>

// Combines one value of the four window frames (prevPrev, prev, current,
// next) at fraction t: none gives p[2], linear runs p[2] to p[3], cubic is
// the Catmull-Rom segment from p[1] to p[2].
float Interpolate(const float p[4], float t, uint8_t method);

// The powers of one fraction, worked out once for every value of a draw.
struct InterpolationWeights {
    double t, t2, t3;
};
InterpolationWeights WeightsFor(float t);

// The linear and cubic rules, inline for the decoder's loops; Interpolate
// gives exactly the same results.
inline float InterpolateLinear(float p2, float p3, const InterpolationWeights& w)
{
    if (p2 == p3)
        return p2;
    return static_cast<float>(double(p3) * w.t + (1.0 - w.t) * double(p2));
}

// The cubic segment's terms depend on the four values only, so a window
// that stays while t moves keeps them.
struct CubicTerms {
    double squared, cubed, linear, constant;
};

inline CubicTerms CubicTermsOf(float p0, float p1, float p2, float p3)
{
    double m1 = (double(p2) - p0) / 2, m2 = (double(p3) - p1) / 2;
    return {3 * double(p2) - 3 * double(p1) - 2 * m1 - m2, -2 * double(p2) + 2 * double(p1) + m1 + m2, m1,
            double(p1)};
}

inline float EvaluateCubic(const CubicTerms& c, const InterpolationWeights& w)
{
    return static_cast<float>(c.squared * w.t2 + c.cubed * w.t3 + c.linear * w.t + c.constant);
}

inline float InterpolateCubic(float p0, float p1, float p2, float p3, const InterpolationWeights& w)
{
    return EvaluateCubic(CubicTermsOf(p0, p1, p2, p3), w);
}
