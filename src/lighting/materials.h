#pragma once

#include <cstdint>

struct MaterialEntry {
    char name[64];
    float ambient[3];
    float diffuse[3];
    float specular[3];
    float shininess;  // 0 to 1; OpenGL gets 128 times it
};

constexpr int kNumMaterials = 29;
extern const MaterialEntry materialTable[kNumMaterials];

constexpr int kNumBackgroundColours = 8;
extern const float backgroundColours[kNumBackgroundColours][3];

void ApplyMaterial(uint8_t index);
void SetBackgroundColour(float colour);
