#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>

#include "lighting/lights.h"
#include "lighting/materials.h"
#include "render/textures.h"
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

// What the commands work out, not the values they hand OpenGL unchanged:
// the pictures show those.
TEST_F(Lighting, MenuChoicesAndLevelsFollowTheirRules)
{
    LightSource* light = &viewer.lights[1];
    LightMenuChoice(light, 'o');
    EXPECT_TRUE(glIsEnabled(GL_LIGHT1));
    // A type and the cutoff OpenGL gets; the spot exponent is kept across types.
    const std::pair<int, float> types[] = {{'s', 20.0f}, {'p', 180.0f}};
    for (const auto& t : types) {
        LightMenuChoice(light, t.first);
        EXPECT_EQ(LightValue(1, GL_SPOT_CUTOFF)[0], t.second) << char(t.first);
        EXPECT_EQ(light->spotExponent, 2.0f);
    }
    for (int i = 0; i < 5; ++i)  // brighter five times: not clamped
        LightMenuChoice(&viewer.lights[0], '+');
    EXPECT_NEAR(LightValue(0, GL_DIFFUSE)[0], std::pow(1.1, 5), 1e-5);
    EXPECT_EQ(LightValue(0, GL_DIFFUSE)[3], 1.0f);
    EXPECT_EQ(Printed([light] { LightMenuChoice(light, 'x'); }), "Invalid menu choice: x");

    viewer.ambientLevel = 0.95f;
    ChangeAmbientLevel(1);  // stops at one above, not below
    EXPECT_EQ(viewer.ambientLevel, 1.0f);
    SetAmbientLevel(0.0f);
    ChangeAmbientLevel(-1);
    EXPECT_FLOAT_EQ(GlFloat(GL_LIGHT_MODEL_AMBIENT), -0.1f);

    // Lighting off replaces textures; on again restores the chosen mode.
    SetTextureEnvMode(3042.0f);
    for (bool on : {false, true}) {
        ToggleLighting();
        EXPECT_EQ(EnvMode(), on ? GL_BLEND : GL_REPLACE);
    }
    ApplyMaterial(7);  // Brass: the table's shininess is of 1, OpenGL's of 128
    float shininess;
    glGetMaterialfv(GL_FRONT, GL_SHININESS, &shininess);
    EXPECT_NEAR(shininess, 27.897436, 1e-4);
    ErrorCapture errors;
    SetBackgroundColour(6);
    Printed([] { SetBackgroundColour(8); });
    EXPECT_TRUE(errors.Has("Invalid color: "));
    EXPECT_FLOAT_EQ(GlFloat(GL_COLOR_CLEAR_VALUE, 1), 0.1f);  // Brown stays
}
