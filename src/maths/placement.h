#pragma once

// A position and three axes: the camera, every model and every light use it.
struct Placement {
    float position[3];
    float axisX[3];
    float axisY[3];
    float axisZ[3];
};

// out = m * v, with m stored row by row.
void TransformVector(const float m[9], const float v[3], float out[3]);
// out = a + s * b; out may be a.
void VectorAddScaled(const float a[3], float s, const float b[3], float out[3]);
// out = a x b; out must not be a or b.
void VectorCross(const float a[3], const float b[3], float out[3]);
// Scales v to unit length unless it is zero; returns the length it had.
float VectorNormalize(float v[3]);
