#include "maths/placement.h"

#include <cmath>

void TransformVector(const float m[9], const float v[3], float out[3])
{
    for (int i = 0; i < 3; ++i)
        out[i] = m[3 * i] * v[0] + m[3 * i + 1] * v[1] + m[3 * i + 2] * v[2];
}

void VectorAddScaled(const float a[3], float s, const float b[3], float out[3])
{
    for (int i = 0; i < 3; ++i)
        out[i] = a[i] + s * b[i];
}

void VectorCross(const float a[3], const float b[3], float out[3])
{
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

float VectorNormalize(float v[3])
{
    float length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (length != 0.0f) {
        float inverse = 1.0f / length;
        v[0] *= inverse;
        v[1] *= inverse;
        v[2] *= inverse;
    }
    return length;
}
