#include <gtest/gtest.h>

#include <string>

#include "formats/shader_script.h"
#include "support/test_files.h"

namespace {

std::string Joined(const Reports& reports)
{
    std::string text;
    for (const std::string& report : reports)
        text += report + "\n";
    return text;
}

}  // namespace

TEST(ShaderScript, ReadsStagesAndKeywordsAsTheEnginesDo)
{
    const std::string text = SampleShaderScript();
    Reports reports;
    std::vector<ShaderScript> shaders = ReadShaderScript(text, "t.shader", reports);
    EXPECT_EQ(Joined(reports), "");
    ASSERT_EQ(shaders.size(), 2u);
    const ShaderScript& glow = shaders[0];
    EXPECT_EQ(glow.name, "textures/base/glow");
    EXPECT_EQ(glow.line, 2);
    EXPECT_TRUE(glow.noDraw);
    EXPECT_EQ(glow.cull, CullFace::kNone);
    EXPECT_EQ(glow.sort, 10.0f);
    ASSERT_EQ(glow.deforms.size(), 1u);
    EXPECT_FLOAT_EQ(glow.deforms[0].spread, 0.01f);
    ASSERT_EQ(glow.stages.size(), 2u);  // the lightmap's is left out
    const ShaderStage& anim = glow.stages[0];
    EXPECT_EQ(anim.images, (std::vector<std::string>{"a.tga", "b.tga"}));
    EXPECT_FLOAT_EQ(anim.animFrequency, 2.5f);
    EXPECT_TRUE(anim.blend && anim.depthWrite);
    EXPECT_EQ(anim.blendDestination, BlendFactor::kOneMinusSrcAlpha);
    EXPECT_EQ(anim.alphaTest, AlphaTest::kAtLeastHalf);
    EXPECT_EQ(anim.rgbGen, ColourGen::kWave);
    EXPECT_EQ(anim.rgbWave.func, WaveFunc::kTriangle);
    EXPECT_FLOAT_EQ(anim.alphaConst, 0.25f);
    EXPECT_EQ(anim.tcGen, TexGen::kVector);
    EXPECT_EQ(anim.tcVectors[1][1], 1.0f);
    ASSERT_EQ(anim.tcMods.size(), 2u);
    EXPECT_EQ(anim.tcMods[0].values[1], -2.0f);
    EXPECT_EQ(anim.tcMods[1].kind, TexMod::Kind::kRotate);
    const ShaderStage& clamped = glow.stages[1];
    EXPECT_EQ(clamped.images, (std::vector<std::string>{"spaced name.tga"}));
    EXPECT_TRUE(clamped.clamp && clamped.depthEqual && clamped.depthWrite && !clamped.blend);
    EXPECT_EQ(clamped.rgbGen, ColourGen::kLightingDiffuse);
    EXPECT_EQ(clamped.tcGen, TexGen::kEnvironment);
    EXPECT_EQ(shaders[1].stages.size(), 1u);  // a stage on one line
}

// Hostile scripts: each fault named with its file and line, the rest read on.
TEST(ShaderScript, FaultsAreReportedWithTheirLineAndTheRestStillServes)
{
    std::string longLine(100000, 'x'), manyStages = "many\n{\n", manyImages = "animMap 1", tenImages = "animMap 1";
    for (int i = 0; i < 10; ++i)
        tenImages += " i" + std::to_string(i) + ".tga";
    for (int i = 0; i < 100000; ++i)
        manyStages += "{ map a.tga }\n";
    for (int i = 0; i < 1000; ++i)
        manyImages += " i" + std::to_string(i) + ".tga";
    const struct {
        std::string text;
        const char* report;
        size_t shaders;
    } cases[] = {
        {"a\n{\n{ map a.tga }\n", "t.shader, line 1: the file ends inside shader \"a\"", 1},
        {"}\na { { map a.tga } }", "t.shader, line 1: a closing brace outside any shader", 1},
        {"a map\nb { { map b.tga } }", "t.shader, line 1: shader \"a\" has no opening brace", 1},
        {longLine + "\n{ { map " + longLine + " } }\nb { { map b.tga } }", "", 2},
        {manyStages + "}\nb { }", "line 11: shader \"many\" has more than 8 stages", 2},
        {"a { { map a.tga\n rgbGen wave sin x 1 0 1 } }", "line 2: rgbGen wave \"x\" is not a number", 1},
        {"a { { map a.tga\n tcMod scale nan 1 } }", "line 2: tcMod \"nan\" is not a number", 1},
        {"a { { animMap 0 a.tga } }", "line 1: animMap's frequency is 0: its first image is shown", 1},
        {"a { { animMap nan a.tga } }", "animMap's frequency \"nan\" is not a number", 1},
        {"a {\n{ animMap 1 }\n}", "line 2: animMap names no image", 1},
        {"a {\n{ " + manyImages + " }\n}", "line 2: animMap has 936 images past the 64 any engine takes", 1},
        {"a {\n{ " + tenImages + " }\n}", "", 1},  // DarkPlaces draws ten; no fault
        {"a { { map a.tga\ntcMod scale 1 1\ntcMod scale 1 1\ntcMod scale 1 1\ntcMod scale 1 1\ntcMod scale 1 1\n"
         "tcMod scale 1 1\ntcMod scale 1 1\ntcMod scale 1 1\ntcMod scale 1 1 } }",
         "line 10: more than 8 tcMods in a stage", 1},
        {"a { { map a.tga\n blendFunc GL_BOGUS GL_ZERO } }", "blendFunc has an unknown factor \"GL_BOGUS\"", 1},
        {"a { { map a.tga\n alphaFunc GT128 } }", "alphaFunc \"GT128\" is none of GT0, LT128 and GE128", 1},
        {"a { { map a } } a { { map a } }", "", 2},  // a shader naming itself is only a name
        {std::string("a { { map \x01\xff\x80.tga } }\0b", 23), "shader \"b\" has no opening brace", 1},
        {"a {\n{\n{\n{ map a.tga }", "line 1: the file ends inside shader \"a\"", 1},
    };
    for (const auto& c : cases) {
        Reports reports;
        std::vector<ShaderScript> shaders = ReadShaderScript(c.text, "t.shader", reports);
        EXPECT_EQ(shaders.size(), c.shaders) << c.report;
        if (c.report[0])
            EXPECT_NE(Joined(reports).find(c.report), std::string::npos) << Joined(reports);
        else
            EXPECT_EQ(Joined(reports), "");
        EXPECT_LE(reports.size(), 6u);
        for (const ShaderScript& shader : shaders)
            EXPECT_LE(shader.stages.size(), 8u);
    }
}

TEST(ShaderScript, AFileNameIsReportedAsItIsNeverReadAsAFormat)
{
    Reports reports;
    ReadShaderScript("a {\n{ animMap 1 }\n}", "scripts/%s%n%s.shader", reports);
    EXPECT_EQ(Joined(reports), "ReadShaderScript: scripts/%s%n%s.shader, line 2: animMap names no image\n");
}
