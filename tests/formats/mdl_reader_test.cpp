#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "formats/mdl.h"
#include "model/load.h"
#include "model/model_formats.h"
#include "platform/error_log.h"
#include "looks/skins.h"
#include "render/animation.h"
#include "render/frame_window.h"
#include "render/textures.h"
#include "scene/model_list.h"
#include "scene/skins.h"
#include "state/viewer_state.h"
#include "support/gl_context.h"
#include "support/test_files.h"
#include "viewer/overlay.h"

namespace {

namespace mdl = writers::mdl;

struct Parsed {
    std::unique_ptr<MdlFile> file;
    std::vector<MdlSkinPicture> skins;
    std::unique_ptr<FrameName[]> names;
    bool ok = false;
};

Parsed Parse(const std::vector<uint8_t>& bytes)
{
    Parsed out;
    Reports reports;
    out.file = OpenMdlBytes(bytes, reports);
    out.ok = out.file && ReadMdlSections(*out.file, out.skins, out.names, reports);
    ReportAll(reports);
    return out;
}

// Three single skins, the middle one a group of three pictures.
writers::MdlModel WithSkinGroup(std::vector<float> intervals = {0.2f, 0.4f, 0.6f})
{
    writers::MdlModel model = TinyMdl(2, 3);
    writers::MdlSkin& group = model.skins[1];
    group.group = 1;
    group.count = 3;
    group.intervals = intervals;
    group.pixels.clear();
    for (int k = 0; k < 3; ++k)
        group.pixels.insert(group.pixels.end(), 64, static_cast<uint8_t>(100 + k));
    return model;
}

}  // namespace

TEST(MdlReader, FindsEverySectionBehindSingleSkinsAndSkinGroups)
{
    writers::MdlModel model = WithSkinGroup();
    model.texCoords.resize(1511, {0, 0, 0});  // more vertices than the old 1024-vertex slots
    for (auto& frame : model.frames)
        frame.frame.vertices.resize(1511, writers::Vertex{9, 8, 7, 6});
    Parsed p = Parse(writers::WriteMdl(model));
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.file->texCoords[3].onSeam, 1);
    EXPECT_EQ(p.file->texCoords[2].t, 6);
    EXPECT_EQ(p.file->triangles[1].vertexIndex[2], 3);
    EXPECT_EQ(p.file->triangles[0].facesFront, 1);
    EXPECT_EQ(MdlFrameVertices(*p.file, 1)[3].y, 0 + 8 * 1);
    EXPECT_EQ(MdlFrameVertices(*p.file, 1)[1510].x, 9);
    EXPECT_EQ(std::string(p.names[1].text), "frame2");
    EXPECT_EQ(p.file->header.scale[1], 2.0f);
    // One skin per picture, in file order, each with its group and interval.
    ASSERT_EQ(p.skins.size(), 5u);
    const int groups[5] = {-1, 1, 1, 1, -1};
    const float intervals[5] = {0, 0.2f, 0.4f, 0.6f, 0};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(p.skins[i].group, groups[i]);
        EXPECT_EQ(p.skins[i].interval, intervals[i]);
    }
    EXPECT_EQ(p.file->file[p.skins[2].offset], 101);
    EXPECT_EQ(p.skins[4].offset, 84u + 68 + 8 + 12 + 3 * 64 + 4);
}

TEST(MdlReader, EveryPictureOfAFrameGroupIsAFrameOfItsOwn)
{
    for (int at : {0, 1, 2}) {
        Parsed p = Parse(writers::WriteMdl(GroupedMdl(at)));
        ASSERT_TRUE(p.ok) << at;
        ASSERT_EQ(p.file->frameCount, 5);
        for (int f = 0; f < 5; ++f) {
            EXPECT_EQ(std::string(p.names[f].text), "frame" + std::to_string(f + 1));
            EXPECT_EQ(MdlFrameVertices(*p.file, f)[1].x, 10 + 4 * f);
        }
        int picture = -1;
        const MdlFrameGroup* group = MdlFrameGroupOf(*p.file, at + 1, &picture);
        ASSERT_NE(group, nullptr);
        EXPECT_EQ(group->entry, at);
        EXPECT_EQ(picture, 1);
        EXPECT_EQ(group->intervals, (std::vector<float>{0.1f, 0.25f, 0.5f}));
        EXPECT_EQ(MdlFrameGroupOf(*p.file, at == 0 ? 3 : 0, &picture), nullptr);
        EXPECT_EQ(FrameGroupLine({group->entry, group->firstFrame, group->intervals}, 2), "frame group " + std::to_string(at) +
                                                 ", picture 3 of 3; intervals: 0.10 0.25 [0.50]");
    }
}

TEST(MdlReader, EveryTruncationAndEveryHostileFileIsRefusedNamingTheFault)
{
    for (const writers::MdlModel& model : {WithSkinGroup(), GroupedMdl(2)}) {
        std::vector<uint8_t> whole = writers::WriteMdl(model);
        for (size_t size = 0; size < whole.size(); ++size) {
            ErrorCapture errors;
            EXPECT_FALSE(Parse(std::vector<uint8_t>(whole.begin(), whole.begin() + size)).ok) << size;
            EXPECT_NE(errors.Text(), "") << size;
        }
    }
    const float nan = std::nanf(""), inf = INFINITY;
    auto patched = [](writers::MdlModel model, size_t field, int32_t value) {
        std::vector<uint8_t> bytes = writers::WriteMdl(model);
        writers::PutInt32(bytes, field, value);
        return bytes;
    };
    auto cut = [](writers::MdlModel model, size_t size) {
        std::vector<uint8_t> bytes = writers::WriteMdl(model);
        bytes.resize(size);
        return bytes;
    };
    auto count = [](writers::MdlModel m, int32_t value, bool frames) {
        if (frames)
            m.frames[1].groupCount = value;
        else
            m.skins[1].count = value;
        return writers::WriteMdl(m);
    };
    std::vector<uint8_t> quake2 = writers::WriteMdl(TinyMdl());
    memcpy(quake2.data(), "IDP2", 4);
    const writers::MdlModel two = TinyMdl(2, 2);
    const struct {
        std::vector<uint8_t> bytes;
        const char* report;
    } cases[] = {
        {quake2, "OpenMdlFile: file is not a mdl file because tag is: 32504449"},
        {patched(two, mdl::kNumSkins, -1), "InitMdlObject: the header has a negative count (numSkins = -1)"},
        {patched(two, mdl::kNumSkins, 0x7FFFFFFF), "runs past the end of the file"},
        {patched(two, mdl::kSkinWidth, 0x10000), "InitMdlObject: skin 0 runs past the end of the file"},
        {patched(two, mdl::kSkinHeight, 0), "InitMdlObject: the header has a bad skin size (8 x 0)"},
        {patched(two, mdl::kNumVerts, 0x20000000), "InitMdlObject: the texture coordinates and triangles run past"},
        {patched(two, mdl::kNumTris, 0x10000001), "InitMdlObject: the texture coordinates and triangles run past"},
        {patched(two, mdl::kNumFrames, 0), "InitMdlObject: the file has no frames"},
        {patched(two, mdl::kNumFrames, 3), "InitMdlObject: Unable to read frame 2"},
        {patched(two, mdl::kNumVerts, 3), "InitMdlObject: triangle 0 uses vertex index 6 but a frame has 3 vertices"},
        {count(GroupedMdl(1), 0, true), "InitMdlObject: frame group 1 has 0 pictures"},
        {count(GroupedMdl(1), -3, true), "InitMdlObject: frame group 1 has -3 pictures"},
        {count(GroupedMdl(1), 0x7FFFFFF, true), "InitMdlObject: frame group 1 runs past the end"},
        {writers::WriteMdl(GroupedMdl(1, {0.1f, 0.0f, 0.3f})),
         "frame group 1 has an interval that is not finite and positive (picture 1: 0)"},
        {writers::WriteMdl(GroupedMdl(0, {nan, 1, 2})), "frame group 0 has an interval that is not finite and "
                                                            "positive (picture 0: nan)"},
        {writers::WriteMdl(GroupedMdl(2, {1, 2, inf})), "(picture 2: inf)"},
        {writers::WriteMdl(GroupedMdl(2, {1, -2, 3})), "(picture 1: -2)"},
        {cut(GroupedMdl(2), writers::WriteMdl(GroupedMdl(2)).size() - 9),
         "InitMdlObject: frame group 2 runs past the end of the file"},
        {count(WithSkinGroup(), 0, false), "InitMdlObject: skin group 1 has 0 pictures"},
        {count(WithSkinGroup(), -1, false), "InitMdlObject: skin group 1 has -1 pictures"},
        {count(WithSkinGroup(), 0x40000000, false), "InitMdlObject: skin group 1 runs past the end"},
        {writers::WriteMdl(WithSkinGroup({0.2f, nan, 0.6f})),
         "skin group 1 has an interval that is not finite and positive"},
        {cut(WithSkinGroup(), 84 + 68 + 8 + 12 + 100), "InitMdlObject: skin group 1 runs past the end of the file"},
    };
    for (const auto& c : cases) {
        ErrorCapture errors;
        EXPECT_FALSE(Parse(c.bytes).ok) << c.report;
        EXPECT_TRUE(errors.Has(c.report)) << errors.Text();
    }
}

TEST_F(ViewerTest, GroupPicturesAreSkinsAndFramesAndSkinsFollowTheRunningClock)
{
    ModelObject* model = Load(WithSkinGroup(), "g.mdl");
    ASSERT_NE(model, nullptr);
    EXPECT_STREQ(model->modelType->key, "mdl");
    EXPECT_TRUE(model->texturing);
    ASSERT_EQ(model->numSkins, 5);
    model->currentSkin = 2;
    const struct {
        int ms;
        int shown;
    } times[] = {{0, 1}, {150, 1}, {250, 2}, {450, 3}, {650, 1}, {1100, 3}, {1850, 1}};
    AnimateModel(model, 450);
    EXPECT_EQ(DrawnSkin(model), 2);  // the clock is stopped: the current skin
    viewer.animating = true;
    for (const auto& t : times) {
        AnimateModel(model, t.ms);
        EXPECT_EQ(DrawnSkin(model), t.shown) << t.ms;
    }
    model->currentSkin = 4;  // a single skin stays
    AnimateModel(model, 250);
    EXPECT_EQ(DrawnSkin(model), 4);
    ModelObject* frames = Load(GroupedMdl(1), "f.mdl");
    ASSERT_NE(frames, nullptr);
    EXPECT_EQ(frames->numFrames, 5);
    for (int expected : {2, 3, 4, 0, 1}) {
        AdvanceModelFrame(frames, 100);
        EXPECT_EQ(frames->nextFrame, expected);
    }
}
