// Quake III shaders drawn in the test window, judged by the pixels they
// leave over a grey background.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "render/animation.h"
#include "scene/model_list.h"
#include "state/viewer_state.h"
#include "support/gl_context.h"
#include "support/image_files.h"
#include "support/test_files.h"
#include "view/framing.h"
#include "viewer/display.h"

namespace {

using Rgb = std::array<int, 3>;

class ShaderDrawing : public ViewerTest {
protected:
    // An 8 x 8 image of one colour; with alpha, its left half transparent.
    void Image(const std::string& name, Rgb colour, bool leftHalfClear = false)
    {
        std::vector<uint8_t> rgb, alpha;
        for (int i = 0; i < 64; ++i) {
            rgb.insert(rgb.end(), {uint8_t(colour[0]), uint8_t(colour[1]), uint8_t(colour[2])});
            alpha.push_back(leftHalfClear && i % 8 < 4 ? 0 : 255);
        }
        images.push_back({"textures/" + name + ".tga", EncodeTga(8, 8, rgb, 32, false, alpha)});
    }
    // The quad in a game of its own (a game's scripts are read once a run).
    ModelObject* Quad(const std::string& script, bool facingAway = false)
    {
        std::string game = "game" + std::to_string(++games) + "/baseq3/";
        for (const auto& image : images)
            dir.Write(game + image.first, image.second);
        dir.Write(game + "scripts/test.shader", std::vector<uint8_t>(script.begin(), script.end()));
        std::string path = dir.Write(game + "models/quad.md3", writers::WriteMd3(FlatQuad("quad", facingAway)));
        ModelObject* model = AddModel(path.c_str());
        viewer.lightingEnabled = false;
        FrameModel(model, 0.8f);
        return model;
    }
    // The colour at a place across the window (0 to 1 from its left), half way up.
    Rgb At(float across = 0.5f)
    {
        glClearColor(0.5f, 0.5f, 0.5f, 1);
        DrawSceneFrame();
        uint8_t pixel[3];
        glReadPixels(static_cast<int>(across * 640), 240, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, pixel);
        return {pixel[0], pixel[1], pixel[2]};
    }
    std::vector<std::pair<std::string, std::vector<uint8_t>>> images;
    int games = 0;
};

void ExpectNear(const Rgb& seen, const Rgb& expected, const std::string& what)
{
    for (int c = 0; c < 3; ++c)
        EXPECT_NEAR(seen[c], expected[c], 3) << what << " channel " << c;
}

}  // namespace

TEST_F(ShaderDrawing, BlendsAlphaTestsCullingAndStageOrderLeaveTheirPixels)
{
    Image("grey64", {64, 64, 64});
    Image("half", {128, 128, 128});
    Image("red", {200, 0, 0});
    Image("green", {0, 200, 0});
    Image("holes", {0, 0, 200}, true);
    const struct {
        const char* stages;
        bool facingAway;
        float across;
        Rgb expected;
    } cases[] = {
        {"{ map textures/grey64.tga }", false, 0.5f, {64, 64, 64}},                 // opaque, identity
        {"{ map textures/grey64.tga\nblendFunc add }", false, 0.5f, {192, 192, 192}},  // add brightens
        {"{ map textures/half.tga\nblendFunc filter }", false, 0.5f, {64, 64, 64}},    // filter darkens
        {"{ map textures/grey64.tga\nblendFunc blend\nalphaGen const 0.5 }", false, 0.5f, {96, 96, 96}},
        {"{ map textures/holes.tga\nalphaFunc GE128 }", false, 0.45f, {128, 128, 128}},  // a hole
        {"{ map textures/holes.tga\nalphaFunc GE128 }", false, 0.55f, {0, 0, 200}},
        {"{ map textures/red.tga }", true, 0.5f, {128, 128, 128}},                   // the back is culled
        {"cull none\n{ map textures/red.tga }", true, 0.5f, {200, 0, 0}},            // unless it says none
        {"{ map textures/red.tga }\n{ map textures/green.tga\nblendFunc add }", false, 0.5f, {200, 200, 0}},
        {"{ map textures/red.tga }\n{ map textures/green.tga\ndepthFunc equal }", false, 0.5f, {0, 200, 0}},
        {"{ map $whiteimage\nrgbGen const ( 0.5 0.25 1 ) }", false, 0.5f, {128, 64, 255}},
        {"{ map $lightmap }\n{ map textures/red.tga }", false, 0.5f, {200, 0, 0}},  // no lightmap on models
        {"{ map textures/red.tga\ntcGen environment }", false, 0.5f, {200, 0, 0}},      // worked out a vertex at a time
        {"deformVertexes move 0 100 0 sin 1 0 0 0\n{ map textures/red.tga }", false, 0.5f, {128, 128, 128}},
        {"deformVertexes autosprite\n{ map textures/red.tga }", true, 0.5f, {200, 0, 0}},  // turned to the eye
        {"surfaceparm nodraw\n{ map textures/red.tga }", false, 0.5f, {128, 128, 128}},
    };
    for (const auto& c : cases) {
        Quad(std::string("quad\n{\n") + c.stages + "\n}\n", c.facingAway);
        ExpectNear(At(c.across), c.expected, c.stages);
        RemoveModel();
    }
}

// Scrolling and animated maps run on the animation clock, and stand with it.
TEST_F(ShaderDrawing, StagesMoveWithTheClockAndStandWhenItStops)
{
    Image("red", {200, 0, 0});
    Image("green", {0, 200, 0});
    ModelObject* model = Quad("quad\n{\n{ animMap 1 textures/red.tga textures/green.tga }\n}\n");
    viewer.animating = true;
    const struct {
        int ms;
        Rgb expected;
    } steps[] = {{0, {200, 0, 0}}, {1500, {0, 200, 0}}, {2500, {200, 0, 0}}};
    for (const auto& step : steps) {
        AnimateModel(model, step.ms);
        ExpectNear(At(), step.expected, "at " + std::to_string(step.ms) + " ms");
    }
    viewer.animating = false;
    ExpectNear(At(), {200, 0, 0}, "stopped");  // the clock stopped: no time passes
}
