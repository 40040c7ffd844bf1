#pragma once

#include <GL/gl.h>

#include <cstdint>

#include "maths/placement.h"

enum LightType : uint8_t { kLightPositional = 0, kLightDirectional = 1, kLightSpot = 2 };

// One of the five lights: the settings the lighting commands change.
struct LightSource {
    Placement placement;  // position and axisZ (the direction) only
    GLenum glLight;
    bool on;
    uint8_t type;
    float ambient[4];
    float diffuse[4];
    float specular[4];
    float spotExponent;
    float spotCutoff;
    float constantAttenuation;
};
