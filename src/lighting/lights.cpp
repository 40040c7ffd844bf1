#include "lighting/lights.h"

#include <GL/freeglut.h>

#include <cstdio>

#include "platform/error_log.h"
#include "render/draw.h"
#include "state/viewer_state.h"

namespace {

struct LightStart {
    bool on;
    uint8_t type;
    float position[3];
    float direction[3];
    float colour[3];
    float spotExponent;
    float spotCutoff;
};

const LightStart kLightStarts[5] = {
    {true, kLightDirectional, {0, 100, 0}, {0, -1, 0}, {1, 1, 1}, 0, 180},
    {false, kLightSpot, {100, 100, 0}, {-1, -1, 0}, {0.4f, 0, 0}, 2, 45},
    {false, kLightSpot, {-100, 100, 0}, {1, -1, 0}, {0, 0.4f, 0}, 2, 45},
    {false, kLightSpot, {0, -100, -100}, {0, 1, 1}, {0, 0, 0.4f}, 2, 45},
    {false, kLightDirectional, {0, 0, 0}, {1, 2, -1}, {1, 0, 1}, 0, 180},
};

void ScaleLightColours(LightSource* light, float factor)
{
    for (float* colour : {light->ambient, light->diffuse, light->specular})
        for (int c = 0; c < 3; ++c)
            colour[c] *= factor;
}

}  // namespace

void SetAmbientLight()
{
    float level = viewer.ambientLevel;
    const float ambient[4] = {level, level, level, 1.0f};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
}

void SetLightColour(LightSource* light, float r, float g, float b)
{
    const float ambient[4] = {0, 0, 0, 1}, colour[4] = {r, g, b, 1};
    for (int c = 0; c < 4; ++c) {
        light->ambient[c] = ambient[c];
        light->diffuse[c] = colour[c];
        light->specular[c] = colour[c];
    }
}

void ApplyLight(const LightSource* light)
{
    if (!light->on) {
        glDisable(light->glLight);
        return;
    }
    glEnable(light->glLight);
    glLightfv(light->glLight, GL_AMBIENT, light->ambient);
    glLightfv(light->glLight, GL_DIFFUSE, light->diffuse);
    glLightfv(light->glLight, GL_SPECULAR, light->specular);
    glLightf(light->glLight, GL_SPOT_EXPONENT, light->spotExponent);
    glLightf(light->glLight, GL_SPOT_CUTOFF, light->spotCutoff);
    glLightf(light->glLight, GL_CONSTANT_ATTENUATION, light->constantAttenuation);
}

void PlaceLight(const LightSource* light)
{
    const float* p = light->placement.position;
    const float* z = light->placement.axisZ;
    const float positional[4] = {p[0], p[1], p[2], 1.0f};
    switch (light->type) {
    case kLightPositional:
        glLightfv(light->glLight, GL_POSITION, positional);
        break;
    case kLightDirectional: {
        const float direction[4] = {-z[0], -z[1], -z[2], 0.0f};
        glLightfv(light->glLight, GL_POSITION, direction);
        break;
    }
    case kLightSpot:
        glLightfv(light->glLight, GL_POSITION, positional);
        glLightfv(light->glLight, GL_SPOT_DIRECTION, z);
        break;
    default:
        ReportError("Invalid light type");
    }
}

void DrawLightMarker(const LightSource* light)
{
    const float* p = light->placement.position;
    const float* z = light->placement.axisZ;
    glPushMatrix();
    if (viewer.lightingEnabled)
        glDisable(GL_LIGHTING);
    glColor3fv(light->diffuse);
    glTranslatef(p[0], p[1], p[2]);
    glutSolidCube(10.0);
    glBegin(GL_LINES);
    glVertex3f(0, 0, 0);
    glVertex3f(20 * z[0], 20 * z[1], 20 * z[2]);
    glEnd();
    if (viewer.lightingEnabled)
        glEnable(GL_LIGHTING);
    glPopMatrix();
}

void ResetLights(float)
{
    for (int i = 0; i < 5; ++i) {
        LightSource& light = viewer.lights[i];
        const LightStart& start = kLightStarts[i];
        for (int a = 0; a < 3; ++a) {
            light.placement.position[a] = start.position[a];
            light.placement.axisZ[a] = start.direction[a];
        }
        light.glLight = GL_LIGHT0 + i;
        light.on = start.on;
        light.type = start.type;
        SetLightColour(&light, start.colour[0], start.colour[1], start.colour[2]);
        light.spotExponent = start.spotExponent;
        light.spotCutoff = start.spotCutoff;
        light.constantAttenuation = 1.0f;
    }
    for (const LightSource& light : viewer.lights)
        ApplyLight(&light);
}

void InitLighting()
{
    viewer.smoothShading = true;
    glShadeModel(GL_SMOOTH);
    glEnable(GL_LIGHTING);
    ResetLights();
    viewer.lightingEnabled = true;
    viewer.showLightSources = false;
    viewer.ambientLevel = 0.8f;
    SetAmbientLight();
    glEnable(GL_NORMALIZE);
}

void LightMenuChoice(LightSource* light, int choice)
{
    switch (choice) {
    case 'o': light->on = !light->on; break;
    case 'p': light->type = kLightPositional; light->spotCutoff = 180; break;
    case 'd': light->type = kLightDirectional; light->spotCutoff = 180; break;
    case 's': light->type = kLightSpot; light->spotCutoff = 20; break;
    case 'w': SetLightColour(light, 0.5f, 0.5f, 0.5f); break;
    case 'r': SetLightColour(light, 0.5f, 0, 0); break;
    case 'g': SetLightColour(light, 0, 0.5f, 0); break;
    case 'b': SetLightColour(light, 0, 0, 0.5f); break;
    case 'f': SetLightColour(light, 1, 1, 1); break;
    case '+': ScaleLightColours(light, 1.1f); break;
    case '-': ScaleLightColours(light, 0.9f); break;
    default: printf("Invalid menu choice: %c", choice); break;
    }
    ApplyLight(light);
}

void ToggleLightSources(float)
{
    viewer.showLightSources = !viewer.showLightSources;
}

void SetAmbientLevel(float level)
{
    viewer.ambientLevel = level;
    SetAmbientLight();
}

void ToggleLighting(float)
{
    viewer.lightingEnabled = !viewer.lightingEnabled;
    if (viewer.lightingEnabled) {
        glEnable(GL_LIGHTING);
        glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, static_cast<GLfloat>(viewer.textureEnvMode));
    } else {
        glDisable(GL_LIGHTING);
        glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    }
    UpdateAllDisplayLists();
}

void ToggleShadeModel(float)
{
    viewer.smoothShading = !viewer.smoothShading;
    glShadeModel(viewer.smoothShading ? GL_SMOOTH : GL_FLAT);
}

void ChangeAmbientLevel(float amount)
{
    viewer.ambientLevel += amount * 0.1f;
    if (viewer.ambientLevel > 1.0f)
        viewer.ambientLevel = 1.0f;
    SetAmbientLight();
}
