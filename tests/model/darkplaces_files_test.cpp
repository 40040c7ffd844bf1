// DarkPlaces' files beside a model: numbered skin files as skin sets and
// frame groups as sequences, for a skeletal model and an MD3 alike.
#include <gtest/gtest.h>

#include "formats/framegroups.h"
#include "model/darkplaces_files.h"
#include "model/load.h"
#include "support/image_files.h"
#include "support/test_files.h"

TEST(FrameGroups, LinesAreReadAsTheEngineReadsThem)
{
    const struct {
        const char* line;
        int first, count;
        float fps;
        bool loop;
        const char* name;  // null: the line is refused
    } cases[] = {
        {"1 8 20 0 // fire", 1, 8, 20, false, "fire"},
        {"15 200", 15, 200, 20, true, "group1"},
        {"3 4 0.5 1 \"walk\" extra // comment", 3, 4, 1, true, "walk"},
        {"7 2 30", 7, 2, 30, true, "group1"},
        {"seven 2", 0, 0, 0, false, nullptr},
        {"7", 0, 0, 0, false, nullptr},
    };
    for (const auto& c : cases) {
        Reports reports;
        std::vector<FrameGroupRun> groups = ReadFrameGroups(std::string("\n") + c.line + "\n", reports);
        if (!c.name) {
            EXPECT_TRUE(groups.empty() && !reports.empty()) << c.line;
            continue;
        }
        ASSERT_EQ(groups.size(), 1u) << c.line;
        EXPECT_EQ(groups[0].first, c.first) << c.line;
        EXPECT_EQ(groups[0].count, c.count) << c.line;
        EXPECT_EQ(groups[0].fps, c.fps) << c.line;
        EXPECT_EQ(groups[0].loop, c.loop) << c.line;
        EXPECT_EQ(groups[0].name, c.name) << c.line;
    }
}

TEST(DarkPlacesFiles, NumberedSkinsAreSkinSetsAndFrameGroupsSequences)
{
    TempDir dir;
    dir.Write("models/red.tga", EncodeTga(2, 2, std::vector<uint8_t>(12, 200), 24, false));
    dir.Write("models/blue.tga", EncodeTga(2, 2, std::vector<uint8_t>(12, 40), 24, false));
    // The arm's poses: base, raise's two, wave's two; a group past the last is bounded, as the engine does.
    std::string zym = dir.Write("models/arm.zym", writers::WriteZym(OneBoneArm()));
    dir.Write("models/arm.zym.framegroups", Text("1 2 10 1 // lift\n3 9 5 0 // flap\n"));
    dir.Write("models/arm.zym_0.skin", Text("arm_skin,models/red\n"));
    dir.Write("models/arm.zym_1.skin", Text("replace arm_skin models/blue\n"));
    writers::Md3Model quad;
    quad.frameNames = {"a", "b", "c", "d"};
    quad.surfaces = {TinySurface("quad", 4, "models/red")};
    std::string md3 = dir.Write("models/quad.md3", writers::WriteMd3(quad));
    dir.Write("models/quad.md3.framegroups", Text("1 2 // open\n2 2 // overlapping\n"));
    dir.Write("models/quad.md3_0.skin", Text("quad,models/blue\n"));

    std::unique_ptr<ModelObject> arm = LoadModelFile("test", zym.c_str());
    ASSERT_NE(arm, nullptr);
    ASSERT_EQ(arm->numFrames, 4);
    const char* names[] = {"lift1", "lift2", "flap1", "flap2"};
    for (int f = 0; f < 4; ++f)
        EXPECT_STREQ(arm->frameNames[f].text, names[f]);
    ASSERT_EQ(arm->numSkins, 2);
    EXPECT_STREQ(arm->skins[1].name, "1");
    EXPECT_EQ(arm->skinPictures[arm->skins[0].partPictures[0]].rgb[0], 200);
    EXPECT_EQ(arm->skinPictures[arm->skins[1].partPictures[0]].rgb[0], 40);

    std::unique_ptr<ModelObject> model = LoadModelFile("test", md3.c_str());
    ASSERT_NE(model, nullptr);
    const char* frames[] = {"a", "open1", "open2", "d"};
    for (int f = 0; f < 4; ++f)
        EXPECT_STREQ(model->frameNames[f].text, frames[f]);
    ASSERT_EQ(model->numSkins, 1);
    EXPECT_EQ(model->skinPictures[model->skins[0].partPictures[0]].rgb[0], 40);
}

TEST(DarkPlacesFiles, ALodFileIsALevelOfDetailOfTheModelBesideIt)
{
    const std::vector<std::string> folder = {"m/carni.zym", "m/carni_lod1.zym", "m/Grunt.ZYM", "m/lone_lod1.zym"};
    const struct {
        const char* file;
        const char* of;
        int level;
    } cases[] = {{"m/carni_lod1.zym", "m/carni.zym", 1}, {"m/grunt_lod12.zym", "m/Grunt.ZYM", 12},
                 {"m/lone_lod1.zym", "", 0}, {"m/carni_lod.zym", "", 0}, {"m/carni.zym", "", 0}};
    for (const auto& c : cases) {
        int level = 0;
        EXPECT_EQ(LevelOfDetailOf(c.file, folder, &level), c.of) << c.file;
        EXPECT_EQ(level, c.level) << c.file;
    }
}
