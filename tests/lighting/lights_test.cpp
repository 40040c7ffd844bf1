#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>

#include "commands/command_table.h"
#include "core/viewer_state.h"
#include "lighting/lights.h"
#include "lighting/materials.h"
#include "models/skins.h"
#include "support/gl_context.h"

namespace {

class Lighting : public ViewerTest {};

std::vector<float> LightValue(int light, GLenum what)
{
    std::vector<float> v(4);
    glGetLightfv(GL_LIGHT0 + light, what, v.data());
    return v;
}

float EnvMode()
{
    float mode;
    glGetTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
    return mode;
}

}  // namespace

TEST_F(Lighting, StartValuesOfTheFiveLights)
{
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_NORMALIZE));
    EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
    for (int i = 1; i < 5; ++i)
        EXPECT_FALSE(glIsEnabled(GL_LIGHT0 + i)) << i;
    EXPECT_EQ(LightValue(0, GL_DIFFUSE), (std::vector<float>{1, 1, 1, 1}));
    EXPECT_EQ(LightValue(0, GL_AMBIENT), (std::vector<float>{0, 0, 0, 1}));
    EXPECT_EQ(LightValue(0, GL_SPOT_CUTOFF)[0], 180.0f);
    const LightSource& spot = viewer.lights[1];
    EXPECT_EQ(spot.type, kLightSpot);
    EXPECT_FLOAT_EQ(spot.diffuse[0], 0.4f);
    EXPECT_EQ(spot.spotCutoff, 45.0f);
    EXPECT_EQ(spot.spotExponent, 2.0f);
    EXPECT_EQ(spot.placement.position[0], 100.0f);
    EXPECT_EQ(viewer.lights[3].placement.axisZ[2], 1.0f);
    EXPECT_EQ(viewer.lights[4].type, kLightDirectional);
    EXPECT_EQ(viewer.lights[4].diffuse[2], 1.0f);
    float ambient[4];
    glGetFloatv(GL_LIGHT_MODEL_AMBIENT, ambient);
    EXPECT_FLOAT_EQ(ambient[0], 0.8f);
    GLint shade;
    glGetIntegerv(GL_SHADE_MODEL, &shade);
    EXPECT_EQ(shade, GL_SMOOTH);
}

TEST_F(Lighting, MenuChoicesChangeTheLightAndReachOpenGl)
{
    LightSource* light = &viewer.lights[1];
    LightMenuChoice(light, 'o');
    EXPECT_TRUE(glIsEnabled(GL_LIGHT1));
    LightMenuChoice(light, 's');
    EXPECT_EQ(LightValue(1, GL_SPOT_CUTOFF)[0], 20.0f);
    LightMenuChoice(light, 'p');
    EXPECT_EQ(light->type, kLightPositional);
    EXPECT_EQ(LightValue(1, GL_SPOT_CUTOFF)[0], 180.0f);
    EXPECT_EQ(light->spotExponent, 2.0f);  // kept across type changes
    LightMenuChoice(light, 'd');
    EXPECT_EQ(light->type, kLightDirectional);
    const struct {
        int choice;
        float r, g, b;
    } colours[] = {{'w', .5f, .5f, .5f}, {'r', .5f, 0, 0}, {'g', 0, .5f, 0}, {'b', 0, 0, .5f}, {'f', 1, 1, 1}};
    for (const auto& c : colours) {
        LightMenuChoice(light, c.choice);
        EXPECT_EQ(LightValue(1, GL_DIFFUSE), (std::vector<float>{c.r, c.g, c.b, 1})) << char(c.choice);
        EXPECT_EQ(LightValue(1, GL_SPECULAR), (std::vector<float>{c.r, c.g, c.b, 1})) << char(c.choice);
    }
    LightMenuChoice(light, '-');
    EXPECT_FLOAT_EQ(LightValue(1, GL_DIFFUSE)[1], 0.9f);
    EXPECT_EQ(LightValue(1, GL_DIFFUSE)[3], 1.0f);
    testing::internal::CaptureStdout();
    LightMenuChoice(light, 'x');
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Invalid menu choice: x");
    LightMenuChoice(light, 'o');
    EXPECT_FALSE(glIsEnabled(GL_LIGHT1));
}

TEST_F(Lighting, ScaleBrighterFiveTimesIsNotClamped)
{
    for (int i = 0; i < 5; ++i)
        LightMenuChoice(&viewer.lights[0], '+');
    EXPECT_NEAR(viewer.lights[0].diffuse[0], std::pow(1.1, 5), 1e-5);
    EXPECT_NEAR(LightValue(0, GL_DIFFUSE)[0], 1.61051, 1e-5);
    EXPECT_EQ(viewer.lights[0].diffuse[3], 1.0f);
    ResetLights();
    EXPECT_EQ(LightValue(0, GL_DIFFUSE)[0], 1.0f);
}

TEST_F(Lighting, AmbientLevelStopsAtOneAboveAndNotBelow)
{
    viewer.ambientLevel = 0.95f;
    ChangeAmbientLevel(1);
    EXPECT_EQ(viewer.ambientLevel, 1.0f);
    SetAmbientLevel(0.0f);
    ChangeAmbientLevel(-1);
    EXPECT_FLOAT_EQ(viewer.ambientLevel, -0.1f);
    float ambient[4];
    glGetFloatv(GL_LIGHT_MODEL_AMBIENT, ambient);
    EXPECT_FLOAT_EQ(ambient[0], -0.1f);
    EXPECT_EQ(ambient[3], 1.0f);
    SetAmbientLevel(commandTable[77].argument);
    glGetFloatv(GL_LIGHT_MODEL_AMBIENT, ambient);
    EXPECT_FLOAT_EQ(ambient[1], 0.6f);
}

TEST_F(Lighting, LightingOffReplacesTexturesAndOnRestoresTheChosenMode)
{
    SetTextureEnvMode(3042.0f);
    EXPECT_EQ(EnvMode(), GL_BLEND);
    ToggleLighting();
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_EQ(EnvMode(), GL_REPLACE);
    ToggleLighting();
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_EQ(EnvMode(), GL_BLEND);
    ToggleShadeModel();
    GLint shade;
    glGetIntegerv(GL_SHADE_MODEL, &shade);
    EXPECT_EQ(shade, GL_FLAT);
}

TEST_F(Lighting, MaterialsAndBackgroundColours)
{
    ApplyMaterial(7);  // Brass
    float shininess, diffuse[4];
    glGetMaterialfv(GL_FRONT, GL_SHININESS, &shininess);
    glGetMaterialfv(GL_BACK, GL_DIFFUSE, diffuse);
    EXPECT_NEAR(shininess, 27.897436, 1e-4);
    EXPECT_FLOAT_EQ(diffuse[0], 0.780392f);
    EXPECT_EQ(diffuse[3], 1.0f);
    ApplyMaterial(0);
    float specular[4];
    glGetMaterialfv(GL_FRONT, GL_SPECULAR, specular);
    EXPECT_EQ(specular[0], 0.0f);
    glGetMaterialfv(GL_FRONT, GL_SHININESS, &shininess);
    EXPECT_EQ(shininess, 0.0f);
    EXPECT_STREQ(materialTable[6].name, "Tuqoise");
    EXPECT_STREQ(materialTable[28].name, "Coolish White");

    float clear[4];
    SetBackgroundColour(6);  // Brown
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_FLOAT_EQ(clear[0], 0.05f);
    EXPECT_FLOAT_EQ(clear[1], 0.1f);
    EXPECT_EQ(clear[3], 0.0f);
    ErrorCapture errors;
    testing::internal::CaptureStdout();
    SetBackgroundColour(8);
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(errors.Has("Invalid color: "));
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_FLOAT_EQ(clear[1], 0.1f);
}
