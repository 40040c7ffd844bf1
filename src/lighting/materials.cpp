#include "lighting/materials.h"

#include <GL/gl.h>

#include "platform/error_log.h"

const MaterialEntry materialTable[kNumMaterials] = {
    {"Default", {0.2f, 0.2f, 0.2f}, {0.8f, 0.8f, 0.8f}, {0, 0, 0}, 0},
    {"Emerald", {0.0215f, 0.1745f, 0.0215f}, {0.07568f, 0.61424f, 0.07568f}, {0.633f, 0.727811f, 0.633f}, 0.6f},
    {"Jade", {0.135f, 0.2225f, 0.1575f}, {0.54f, 0.89f, 0.63f}, {0.316228f, 0.316228f, 0.316228f}, 0.1f},
    {"Obsidian", {0.05375f, 0.05f, 0.06625f}, {0.18275f, 0.17f, 0.22525f}, {0.332741f, 0.328634f, 0.346435f}, 0.3f},
    {"Pearl", {0.25f, 0.20725f, 0.20725f}, {1, 0.829f, 0.829f}, {0.296648f, 0.296648f, 0.296648f}, 0.088f},
    {"Ruby", {0.1745f, 0.01175f, 0.01175f}, {0.61424f, 0.04136f, 0.04136f}, {0.727811f, 0.626959f, 0.626959f}, 0.6f},
    {"Tuqoise", {0.1f, 0.18725f, 0.1745f}, {0.396f, 0.74151f, 0.69102f}, {0.297254f, 0.30829f, 0.306678f}, 0.1f},
    {"Brass", {0.329412f, 0.223529f, 0.027451f}, {0.780392f, 0.568627f, 0.113725f}, {0.992157f, 0.941176f, 0.807843f}, 0.21794872f},
    {"Bronze", {0.2125f, 0.1275f, 0.054f}, {0.714f, 0.4284f, 0.18144f}, {0.393548f, 0.271906f, 0.166721f}, 0.2f},
    {"Chrome", {0.25f, 0.25f, 0.25f}, {0.4f, 0.4f, 0.4f}, {0.774597f, 0.774597f, 0.774597f}, 0.6f},
    {"Copper", {0.19125f, 0.0735f, 0.0225f}, {0.7038f, 0.27048f, 0.0828f}, {0.256777f, 0.137622f, 0.086014f}, 0.1f},
    {"Gold", {0.24725f, 0.1995f, 0.0745f}, {0.75164f, 0.60648f, 0.22648f}, {0.628281f, 0.555802f, 0.366065f}, 0.4f},
    {"Silver", {0.19225f, 0.19225f, 0.19225f}, {0.50754f, 0.50754f, 0.50754f}, {0.508273f, 0.508273f, 0.508273f}, 0.4f},
    {"Black Plastic", {0, 0, 0}, {0.01f, 0.01f, 0.01f}, {0.5f, 0.5f, 0.5f}, 0.25f},
    {"Cyan Plastic", {0, 0.1f, 0.06f}, {0, 0.5098039f, 0.5098039f}, {0.50196075f, 0.50196075f, 0.50196075f}, 0.25f},
    {"Green Plastic", {0, 0, 0}, {0.1f, 0.35f, 0.1f}, {0.45f, 0.55f, 0.45f}, 0.25f},
    {"Red Plastic", {0, 0, 0}, {0.5f, 0, 0}, {0.7f, 0.6f, 0.6f}, 0.25f},
    {"White Plastic", {0, 0, 0}, {0.55f, 0.55f, 0.55f}, {0.7f, 0.7f, 0.7f}, 0.25f},
    {"Yellow Plastic", {0, 0, 0}, {0.5f, 0.5f, 0}, {0.6f, 0.6f, 0.5f}, 0.25f},
    {"Black Rubber", {0.02f, 0.02f, 0.02f}, {0.01f, 0.01f, 0.01f}, {0.4f, 0.4f, 0.4f}, 0.078125f},
    {"Cyan Rubber", {0, 0.05f, 0.05f}, {0.4f, 0.5f, 0.5f}, {0.04f, 0.7f, 0.7f}, 0.078125f},
    {"Green Rubber", {0, 0.05f, 0}, {0.4f, 0.5f, 0.4f}, {0.04f, 0.7f, 0.04f}, 0.078125f},
    {"Red Rubber", {0.05f, 0, 0}, {0.5f, 0.4f, 0.4f}, {0.7f, 0.04f, 0.04f}, 0.078125f},
    {"White Rubber", {0.05f, 0.05f, 0.05f}, {0.5f, 0.5f, 0.5f}, {0.7f, 0.7f, 0.7f}, 0.078125f},
    {"Yellow Rubber", {0.05f, 0.05f, 0}, {0.5f, 0.5f, 0.4f}, {0.7f, 0.7f, 0.04f}, 0.078125f},
    {"Bright White", {0.2f, 0.2f, 0.2f}, {1, 1, 1}, {0.8f, 0.8f, 0.8f}, 0.4f},
    {"Less Bright White", {0.2f, 0.2f, 0.2f}, {0.8f, 0.8f, 0.8f}, {0.5f, 0.5f, 0.5f}, 0.35f},
    {"Warmish White", {0.3f, 0.2f, 0.2f}, {1, 0.9f, 0.8f}, {0.4f, 0.2f, 0.2f}, 0.35f},
    {"Coolish White", {0.2f, 0.2f, 0.3f}, {0.8f, 0.9f, 1}, {0.2f, 0.2f, 0.4f}, 0.35f},
};

const float backgroundColours[kNumBackgroundColours][3] = {
    {1, 1, 1}, {0.5f, 0.5f, 0.5f}, {0, 0, 0}, {1, 0, 0},
    {0, 1, 0}, {0, 0, 1},          {0.05f, 0.1f, 0.05f}, {0.1f, 0, 0.1f},
};

void ApplyMaterial(uint8_t index)
{
    if (index >= kNumMaterials)
        index = 0;
    const MaterialEntry& row = materialTable[index];
    // OpenGL wants four components; alpha is never read, so 1 as its default.
    const float ambient[4] = {row.ambient[0], row.ambient[1], row.ambient[2], 1.0f};
    const float diffuse[4] = {row.diffuse[0], row.diffuse[1], row.diffuse[2], 1.0f};
    const float specular[4] = {row.specular[0], row.specular[1], row.specular[2], 1.0f};
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 128.0f * row.shininess);
}

void SetBackgroundColour(float colour)
{
    if (!(colour > -1.0f && colour < kNumBackgroundColours)) {
        ReportError("Invalid color: %c", colour > 0 && colour < 256 ? static_cast<int>(colour) : '?');
        return;
    }
    int index = static_cast<int>(colour);
    const float* rgb = backgroundColours[index];
    glClearColor(rgb[0], rgb[1], rgb[2], 0.0f);
}
