#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>

#include "commands/command_table.h"
#include "lighting/lights.h"
#include "lighting/materials.h"
#include "model/skins.h"
#include "render/animation.h"
#include "render/textures.h"
#include "scene/skins.h"
#include "state/viewer_state.h"
#include "support/gl_context.h"
#include "support/test_files.h"

namespace {

class Lighting : public ViewerTest {};

std::vector<float> LightValue(int light, GLenum what)
{
    std::vector<float> v(4);
    glGetLightfv(GL_LIGHT0 + light, what, v.data());
    return v;
}

float GlFloat(GLenum what, int index = 0)
{
    float values[4];
    glGetFloatv(what, values);
    return values[index];
}

float EnvMode()
{
    float mode;
    glGetTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
    return mode;
}

}  // namespace

TEST_F(Lighting, MenuChoicesChangeTheLightAndReachOpenGl)
{
    LightSource* light = &viewer.lights[1];
    EXPECT_EQ(LightValue(0, GL_DIFFUSE), (std::vector<float>{1, 1, 1, 1}));
    EXPECT_FALSE(glIsEnabled(GL_LIGHT1));
    LightMenuChoice(light, 'o');
    EXPECT_TRUE(glIsEnabled(GL_LIGHT1));
    // A type and the cutoff OpenGL gets; the spot exponent is kept across types.
    const std::pair<int, float> types[] = {{'s', 20.0f}, {'p', 180.0f}, {'d', 180.0f}};
    for (const auto& t : types) {
        LightMenuChoice(light, t.first);
        EXPECT_EQ(LightValue(1, GL_SPOT_CUTOFF)[0], t.second) << char(t.first);
        EXPECT_EQ(light->spotExponent, 2.0f);
    }
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
    for (int i = 0; i < 5; ++i)  // brighter five times: not clamped
        LightMenuChoice(&viewer.lights[0], '+');
    EXPECT_NEAR(LightValue(0, GL_DIFFUSE)[0], std::pow(1.1, 5), 1e-5);
    EXPECT_EQ(LightValue(0, GL_DIFFUSE)[3], 1.0f);
    EXPECT_EQ(Printed([light] { LightMenuChoice(light, 'x'); }), "Invalid menu choice: x");
    LightMenuChoice(light, 'o');
    EXPECT_FALSE(glIsEnabled(GL_LIGHT1));
    ResetLights();
    EXPECT_EQ(LightValue(0, GL_DIFFUSE)[0], 1.0f);
}

TEST_F(Lighting, AmbientShadingTexturesMaterialsAndBackgroundReachOpenGl)
{
    EXPECT_FLOAT_EQ(GlFloat(GL_LIGHT_MODEL_AMBIENT), 0.8f);
    viewer.ambientLevel = 0.95f;
    ChangeAmbientLevel(1);  // stops at one above, not below
    EXPECT_EQ(viewer.ambientLevel, 1.0f);
    SetAmbientLevel(0.0f);
    ChangeAmbientLevel(-1);
    EXPECT_FLOAT_EQ(GlFloat(GL_LIGHT_MODEL_AMBIENT), -0.1f);
    EXPECT_EQ(GlFloat(GL_LIGHT_MODEL_AMBIENT, 3), 1.0f);
    SetAmbientLevel(commandTable[77].argument);
    EXPECT_FLOAT_EQ(GlFloat(GL_LIGHT_MODEL_AMBIENT, 1), 0.6f);

    // Lighting off replaces textures; on again restores the chosen mode.
    SetTextureEnvMode(3042.0f);
    EXPECT_EQ(EnvMode(), GL_BLEND);
    for (bool on : {false, true}) {
        ToggleLighting();
        EXPECT_EQ(glIsEnabled(GL_LIGHTING), on);
        EXPECT_EQ(EnvMode(), on ? GL_BLEND : GL_REPLACE);
    }
    EXPECT_EQ(GlFloat(GL_SHADE_MODEL), GL_SMOOTH);
    ToggleShadeModel();
    EXPECT_EQ(GlFloat(GL_SHADE_MODEL), GL_FLAT);

    ApplyMaterial(7);  // Brass
    float shininess, diffuse[4], specular[4];
    glGetMaterialfv(GL_FRONT, GL_SHININESS, &shininess);
    glGetMaterialfv(GL_BACK, GL_DIFFUSE, diffuse);
    EXPECT_NEAR(shininess, 27.897436, 1e-4);
    EXPECT_FLOAT_EQ(diffuse[0], 0.780392f);
    EXPECT_EQ(diffuse[3], 1.0f);
    ApplyMaterial(0);
    glGetMaterialfv(GL_FRONT, GL_SPECULAR, specular);
    glGetMaterialfv(GL_FRONT, GL_SHININESS, &shininess);
    EXPECT_EQ(specular[0] + shininess, 0.0f);
    SetBackgroundColour(6);  // Brown
    EXPECT_FLOAT_EQ(GlFloat(GL_COLOR_CLEAR_VALUE, 1), 0.1f);
    EXPECT_EQ(GlFloat(GL_COLOR_CLEAR_VALUE, 3), 0.0f);
    ErrorCapture errors;
    Printed([] { SetBackgroundColour(8); });
    EXPECT_TRUE(errors.Has("Invalid color: "));
    EXPECT_FLOAT_EQ(GlFloat(GL_COLOR_CLEAR_VALUE, 1), 0.1f);
}
