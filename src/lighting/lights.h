#pragma once

#include <GL/gl.h>
#include <cstdint>

#include "view/placement.h"

enum LightType : uint8_t { kLightPositional = 0, kLightDirectional = 1, kLightSpot = 2 };

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

void InitLighting();
void SetAmbientLight();
void SetLightColour(LightSource* light, float r, float g, float b);
void ApplyLight(const LightSource* light);
void PlaceLight(const LightSource* light);
void DrawLightMarker(const LightSource* light);
void LightMenuChoice(LightSource* light, int choice);

// Command handlers.
void ResetLights(float unused = 0.0f);
void ToggleLightSources(float unused = 0.0f);
void SetAmbientLevel(float level);
void ToggleLighting(float unused = 0.0f);
void ToggleShadeModel(float unused = 0.0f);
void ChangeAmbientLevel(float amount);
