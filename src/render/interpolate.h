#pragma once

#include <cstdint>

// Combines one value of the four window frames (prevPrev, prev, current,
// next) at fraction t: none gives p[2], linear runs p[2] to p[3], cubic is
// the Catmull-Rom segment from p[1] to p[2].
float Interpolate(const float p[4], float t, uint8_t method);

// Command handler.
void ToggleInterpolationMethod(float unused = 0.0f);
