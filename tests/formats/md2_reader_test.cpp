#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <functional>

#include "formats/md2.h"
#include "model/load.h"
#include "platform/error_log.h"
#include "scene/model_list.h"
#include "state/viewer_state.h"
#include "support/gl_context.h"
#include "support/test_files.h"

namespace {

namespace md2 = writers::md2;

struct Parsed {
    std::unique_ptr<Md2File> file;
    std::vector<Md2SkinName> skins;
    std::unique_ptr<FrameName[]> names;
    bool ok = false;
};

Parsed Parse(const std::vector<uint8_t>& bytes)
{
    Parsed out;
    Reports reports;
    out.file = OpenMd2Bytes(bytes, reports);
    out.ok = out.file && ReadMd2Sections(*out.file, out.skins, out.names, reports);
    ReportAll(reports);
    return out;
}

std::vector<uint8_t> Patched(size_t field, int32_t value)
{
    writers::Md2Model model = TinyMd2();
    model.skins = {"a.pcx"};
    std::vector<uint8_t> bytes = writers::WriteMd2(model);
    writers::PutInt32(bytes, field, value);
    return bytes;
}

std::vector<uint8_t> Changed(const std::function<void(writers::Md2Model&)>& change)
{
    writers::Md2Model model = TinyMd2();
    change(model);
    return writers::WriteMd2(model);
}

}  // namespace

TEST(Md2Reader, ReadsEverySectionOfAGoodFile)
{
    writers::Md2Model model = TinyMd2({"stand1", "exactly16chars!!", "run1"});
    for (int i = 0; i < 40; ++i)
        model.skins.push_back("skin" + std::to_string(i) + ".pcx");
    std::vector<uint8_t> bytes = writers::WriteMd2(model);
    writers::PutInt32(bytes, md2::kFrameSize, 12345);  // not used: frames are 40 + 4 * numXyz apart
    ErrorCapture errors;
    Parsed p = Parse(bytes);
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.file->header.numXyz, 4);
    EXPECT_EQ(p.file->triangles[1].vertexIndex[2], 3);
    EXPECT_EQ(p.file->texCoords[2].s, 8);
    EXPECT_EQ(p.file->frames.size(), 3u * (40 + 16));
    EXPECT_EQ(p.file->glCommands.size(), model.glCommands.size());
    EXPECT_EQ(p.skins.size(), 32u);  // the first 32, once said
    EXPECT_EQ(errors.Count("Maximum number of skins reached: 32"), 1);
    EXPECT_STREQ(p.skins[1].text, "skin1.pcx");
    EXPECT_EQ(std::string(p.names[1].text, 16), "exactly16chars!!");  // no terminator
    Md2FrameHeader header = Md2FrameHeaderAt(*p.file, 2);
    EXPECT_EQ(header.scale[2], 4.0f);
    EXPECT_EQ(header.translate[0], 10.0f);
    EXPECT_EQ(Md2FrameVertices(*p.file, 2)[3].z, 60 + 12 * 2);
}

TEST(Md2Reader, TruncatedAndHostileFilesAreRefusedBeforeAllocatingNamingWhatWasFound)
{
    std::vector<uint8_t> quake = writers::WriteMd2(TinyMd2()), cut = quake;
    for (size_t size = 0; size < quake.size(); ++size) {  // never read past
        ErrorCapture errors;
        EXPECT_FALSE(Parse(std::vector<uint8_t>(quake.begin(), quake.begin() + size)).ok) << size;
        EXPECT_NE(errors.Text(), "") << size;
    }
    memcpy(quake.data(), "IDPO", 4);
    writers::Md2Model noCommands = TinyMd2();
    noCommands.glCommands.clear();
    cut = writers::WriteMd2(noCommands);
    cut.resize(cut.size() - 10);  // inside the third frame
    writers::PutInt32(cut, md2::kOfsGlCmds, static_cast<int32_t>(cut.size()));
    const struct {
        std::vector<uint8_t> bytes;
        const char* report;
    } cases[] = {
        {quake, "OpenMd2File: file is not a md2 file because tag is: 4F504449"},
        {Patched(4, 7), "OpenMd2File: file is not correct version because version is: 7"},
        {cut, "InitMd2Object: Unable to read frame 2"},
        {Patched(md2::kNumTris, -1), "InitMd2Object: the header has a negative count (numTris = -1)"},
        {Patched(md2::kNumXyz, INT_MIN), "negative count (numXyz = -2147483648)"},
        {Patched(md2::kNumFrames, 0), "InitMd2Object: the file has no frames"},
        {Patched(md2::kNumFrames, INT_MAX), "InitMd2Object: Unable to read frame 4"},
        {Patched(md2::kNumXyz, 0x40000000), "InitMd2Object: Unable to read frame 0"},
        {Patched(md2::kNumSt, INT_MAX), "InitMd2Object: the texture coordinates (offset"},
        {Patched(md2::kNumTris, 0x15555556), "InitMd2Object: the triangles (offset"},
        {Patched(md2::kOfsTris, -8), "InitMd2Object: the triangles (offset -8"},
        {Patched(md2::kOfsSkins, 1 << 30), "InitMd2Object: the skin names (offset 1073741824"},
        {Patched(md2::kNumGlCmds, INT_MAX), "InitMd2Object: the GL commands (offset"},
        {Patched(md2::kOfsGlCmds, 100000), "InitMd2Object: the GL commands (offset 100000"},
        {Patched(md2::kOfsFrames, INT_MAX), "InitMd2Object: Unable to read frame 0"},
        {Patched(md2::kSkinWidth, -4), "InitMd2Object: the header has a negative skin size (-4 x 8)"},
        {Changed([](writers::Md2Model& m) { m.triangles[1][2] = 4; }),
         "InitMd2Object: triangle 1 uses vertex index 4 but a frame has 4 vertices"},
        {Changed([](writers::Md2Model& m) { m.triangles[0][4] = -2, m.glCommands.clear(); }),
         "InitMd2Object: triangle 0 uses texture coordinate index -2 but the file has 4 texture coordinates"},
    };
    for (const auto& c : cases) {
        ErrorCapture errors;
        EXPECT_FALSE(Parse(c.bytes).ok) << c.report;
        EXPECT_TRUE(errors.Has(c.report)) << errors.Text();
    }
}

TEST(Md2Reader, FaultyGlCommandsAreDroppedAndTheModelKept)
{
    const struct {
        int word;
        int32_t value;
        const char* fault;
    } cases[] = {{0, 1000, "a packet runs past the end of the block"},
                 {0, INT_MIN, "a packet runs past the end of the block"},
                 {3, 9, "a vertex index is out of range (word 3)"},
                 {-1, 0, "the block has no end word"}};
    for (const auto& c : cases) {
        writers::Md2Model model = TinyMd2();
        if (c.word >= 0)
            model.glCommands[c.word] = c.value;
        else
            model.glCommands.pop_back();
        ErrorCapture errors;
        Parsed p = Parse(writers::WriteMd2(model));
        ASSERT_TRUE(p.ok) << c.fault;
        EXPECT_TRUE(p.file->glCommands.empty());
        EXPECT_EQ(p.file->triangles.size(), 2u);
        EXPECT_TRUE(errors.Has("InitMd2Object: GL commands dropped, the model is drawn from its triangles: " +
                               std::string(c.fault)))
            << errors.Text();
    }
}

TEST_F(ViewerTest, LoadingResolvesPcxSkinsBesideTheModelOrInTheGameFolder)
{
    dir.Write("baseq2/models/monsters/tank/skin.pcx", TestPcx(8, 8));
    dir.Write("baseq2/models/monsters/tank/other.pcx", TestPcx(16, 16));
    writers::Md2Model model = TinyMd2();
    model.skins = {"models/monsters/tank/skin.pcx", "other.pcx", "missing.pcx"};
    std::string path = dir.Write("baseq2/models/monsters/tank2/tris.md2", writers::WriteMd2(model));
    ErrorCapture errors;
    ModelObject* loaded = AddModel(path.c_str());
    ASSERT_NE(loaded, nullptr) << errors.Text();
    EXPECT_EQ(loaded->numSkins, 1);  // other.pcx is in another folder, missing.pcx nowhere
    EXPECT_STREQ(loaded->skins[0].name, "models/monsters/tank/skin.pcx");
    EXPECT_TRUE(loaded->texturing);
    RemoveModel();  // its file is closed: no warning
    EXPECT_EQ(errors.Text(), "");
}
