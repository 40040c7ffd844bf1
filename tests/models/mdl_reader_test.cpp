#include <gtest/gtest.h>

#include "core/viewer_state.h"
#include "models/mdl.h"
#include "models/model_list.h"
#include "support/gl_context.h"
#include "support/test_files.h"

namespace {

namespace mdl = writers::mdl;

struct Parsed {
    std::unique_ptr<MdlFile> file;
    std::vector<size_t> skins;
    std::unique_ptr<FrameName[]> names;
    bool ok = false;
};

Parsed Parse(const std::vector<uint8_t>& bytes)
{
    Parsed out;
    out.file = OpenMdlBytes(bytes);
    out.ok = out.file && ReadMdlSections(*out.file, out.skins, out.names);
    return out;
}

}  // namespace

TEST(MdlReader, FindsTheSectionsBehindEverySkin)
{
    writers::MdlModel model = TinyMdl(3, 2);
    Parsed p = Parse(writers::WriteMdl(model));
    ASSERT_TRUE(p.ok);
    ASSERT_EQ(p.skins.size(), 2u);
    EXPECT_EQ(p.skins[1], 84u + 68 + 4);  // after the first entry and the group word
    EXPECT_EQ(p.file->texCoords[3].onSeam, 1);
    EXPECT_EQ(p.file->texCoords[2].t, 6);
    EXPECT_EQ(p.file->triangles[1].vertexIndex[2], 3);
    EXPECT_EQ(p.file->triangles[0].facesFront, 1);
    EXPECT_EQ(MdlFrameVertices(*p.file, 2)[3].y, 0 + 8 * 2);
    EXPECT_EQ(std::string(p.names[2].text), "frame3");
    EXPECT_EQ(p.file->header.scale[1], 2.0f);
}

TEST(MdlReader, RefusesSkinGroupsFrameGroupsAndWrongMagic)
{
    ErrorCapture errors;
    writers::MdlModel model = TinyMdl(3, 1);
    model.skins[0].group = 1;
    model.skins[0].count = 2;
    model.skins[0].pixels.resize(128);
    EXPECT_FALSE(Parse(writers::WriteMdl(model)).ok);
    EXPECT_TRUE(errors.Has("Error: Animated skins are not yet implemented\nError: InitMdlObject: Couldn't read skin\n"));

    model = TinyMdl(4, 1);
    model.frames[2].type = 1;
    model.frames[2].groupCount = 5;
    model.frames[2].min = {1, 2, 3, 0};
    model.frames[2].max = {7, 8, 9, 0};
    EXPECT_FALSE(Parse(writers::WriteMdl(model)).ok);
    EXPECT_TRUE(errors.Has("InitMdlObject: frame type 1 (1) encountered; only type = 0 supported\n\t2 frames read "
                           "successfully\n\t5 frames (5) in this group\nmin: 1, 2, 3\nmax: 7, 8, 9"));

    std::vector<uint8_t> bytes = writers::WriteMdl(TinyMdl());
    memcpy(bytes.data(), "IDP2", 4);
    EXPECT_FALSE(Parse(bytes).ok);
    EXPECT_TRUE(errors.Has("OpenMdlFile: file is not a mdl file because tag is: 32504449"));
}

TEST(MdlReader, ModelsOfMoreThan1024VerticesAreRead)
{
    writers::MdlModel model = TinyMdl(2, 1);
    model.texCoords.resize(1511, {0, 0, 0});
    for (auto& frame : model.frames)
        frame.frame.vertices.resize(1511, writers::Vertex{9, 8, 7, 6});
    Parsed p = Parse(writers::WriteMdl(model));
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.file->header.numVerts, 1511);
    EXPECT_EQ(MdlFrameVertices(*p.file, 1)[1510].x, 9);
    EXPECT_EQ(MdlFrameVertices(*p.file, 1)[0].x, 4);
}

TEST(MdlReader, EveryTruncationAndHostileHeaderIsRefused)
{
    std::vector<uint8_t> bytes = writers::WriteMdl(TinyMdl(2, 2));
    for (size_t size = 0; size < bytes.size(); ++size) {
        ErrorCapture errors;
        EXPECT_FALSE(Parse(std::vector<uint8_t>(bytes.begin(), bytes.begin() + size)).ok) << size;
        EXPECT_NE(errors.Text(), "") << size;
    }
    const struct {
        size_t field;
        int32_t value;
        const char* report;
    } cases[] = {
        {mdl::kNumSkins, -1, "InitMdlObject: the header has a negative count (numSkins = -1)"},
        {mdl::kNumSkins, 0x7FFFFFFF, "runs past the end of the file"},
        {mdl::kSkinWidth, 0x10000, "InitMdlObject: skin 0 runs past the end of the file"},
        {mdl::kSkinHeight, 0, "InitMdlObject: the header has a bad skin size (8 x 0)"},
        {mdl::kNumVerts, 0x20000000, "InitMdlObject: the texture coordinates and triangles run past"},
        {mdl::kNumTris, 0x10000001, "InitMdlObject: the texture coordinates and triangles run past"},
        {mdl::kNumFrames, 0, "InitMdlObject: the file has no frames"},
        {mdl::kNumFrames, 3, "InitMdlObject: Unable to read frame 2"},
        {mdl::kNumVerts, 3, "InitMdlObject: triangle 0 uses vertex index 6 but a frame has 3 vertices"},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> hostile = bytes;
        writers::PutInt32(hostile, c.field, c.value);
        ErrorCapture errors;
        EXPECT_FALSE(Parse(hostile).ok) << c.report;
        EXPECT_TRUE(errors.Has(c.report)) << errors.Text();
    }
}

TEST_F(ViewerTest, AnMdlLoadsWithNamedSkinsAndItsFrames)
{
    TempDir dir;
    ErrorCapture errors;
    ModelObject* model = AddModel(dir.Write("two.mdl", writers::WriteMdl(TinyMdl(3, 2))).c_str());
    ASSERT_NE(model, nullptr) << errors.Text();
    EXPECT_EQ(model->modelType, kModelMdl);
    EXPECT_EQ(model->numSkins, 2);
    EXPECT_STREQ(model->skins[0].name, "skin 0");
    EXPECT_STREQ(model->skins[1].name, "skin 1");
    EXPECT_TRUE(model->texturing);
    EXPECT_EQ(model->numFrames, 3);
    EXPECT_NE(model->skins[0].textureId, 0u);
    EXPECT_EQ(errors.Text(), "");
}
