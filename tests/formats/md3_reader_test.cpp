#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "formats/animation_cfg.h"
#include "formats/md3.h"
#include "formats/skin_file.h"
#include "support/test_files.h"

namespace {

namespace md3 = writers::md3;

// Two surfaces of three frames, one tag.
writers::Md3Model TwoSurfaces()
{
    writers::Md3Model model;
    model.frameNames = {"a", "b", "c"};
    model.surfaces = {TinySurface("one", 3, "one.tga"), TinySurface("two", 3)};
    writers::Md3Tag tag;
    tag.name = "tag_weapon";
    model.tags.assign(3, {tag});
    return model;
}

std::vector<uint8_t> Patched(size_t offset, int32_t value, std::vector<uint8_t> bytes = writers::WriteMd3(TwoSurfaces()))
{
    writers::PutInt32(bytes, offset, value);
    return bytes;
}

std::vector<uint8_t> PatchedFloat(size_t offset, float value)
{
    int32_t bits;
    memcpy(&bits, &value, 4);
    return Patched(offset, bits);
}

std::string Fault(const std::vector<uint8_t>& bytes)
{
    Reports reports;
    return ReadMd3(bytes, reports) ? std::string("read") : reports.empty() ? std::string("no report") : reports[0];
}

}  // namespace

TEST(Md3Reader, ReadsEverySectionAndRefusesHostileFilesWithTheirFault)
{
    std::vector<uint8_t> good = writers::WriteMd3(TwoSurfaces());
    Reports reports;
    std::unique_ptr<Md3File> file = ReadMd3(good, reports);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->surfaces[0].shaders, std::vector<std::string>{"one.tga"});
    EXPECT_EQ(file->surfaces[1].triangles, (std::vector<uint32_t>{0, 1, 2, 0, 2, 3}));
    EXPECT_EQ(Md3FrameVertices(file->surfaces[0], 2)[3].x, 64 * 38);
    EXPECT_EQ(FindMd3Tag(*file, 1, "tag_weapon")->axis[1][1], 1.0f);
    EXPECT_EQ(FindMd3Tag(*file, 1, "tag_head"), nullptr);

    size_t surface = md3::kFirstSurface + 56 * 3 + 112 * 3, second = surface + 108 + 68 + 24 + 32 + 96;
    std::vector<uint8_t> cut(good.begin(), good.begin() + static_cast<long>(second) + 200);
    const struct {
        std::vector<uint8_t> bytes;
        const char* fault;
    } cases[] = {
        {Patched(0, 0x32504449), "file is not a md3 file because tag is: 32504449"},
        {Patched(4, 16), "not correct version because version is: 16"},
        {Patched(md3::kNumFrames, 0), "the file has no frames"},
        {Patched(md3::kNumFrames, 1025), "the model has 1025 frames, outside 0 to 1024"},
        {Patched(md3::kNumTags, -1), "the model has -1 tags, outside 0 to 16"},
        {Patched(md3::kNumSurfaces, 33), "the model has 33 surfaces, outside 0 to 32"},
        {Patched(md3::kOfsFrames, 1 << 30), "the model: the frames (offset 1073741824"},
        {Patched(md3::kOfsTags, -4), "the model: the tags (offset -4"},
        {Patched(md3::kOfsSurfaces, static_cast<int32_t>(good.size()) - 20), "surface 0: the header"},
        {Patched(surface, 0x4F504449), "surface 0 is not a surface because its tag is: 4F504449"},
        {Patched(second + md3::kSurfaceNumVerts, (1 << 20) + 1), "surface 1 has 1048577 vertices, outside 0 to 1048576"},
        {Patched(second + md3::kSurfaceNumTriangles, -2), "surface 1 has -2 triangles, outside 0 to 2097152"},
        {Patched(second + md3::kSurfaceOfsEnd, 1 << 20), "surface 1 ends at 1048576, past the"},
        {Patched(second + md3::kSurfaceOfsTriangles, 1 << 20), "surface 1: the triangles (offset 1048576"},
        {Patched(second + 108 + 4, 4), "triangle 0 of surface 1 uses vertex 4 but the surface has 4"},
        {PatchedFloat(surface + 108 + 68 + 24 + 4, INFINITY), "surface 0 has a texture coordinate that is not"},
        {cut, "surface 1 ends at"},
        {std::vector<uint8_t>(good.begin(), good.begin() + 100), "Couldn't read in the md3 header"},
    };
    for (const auto& c : cases)
        EXPECT_NE(Fault(c.bytes).find(c.fault), std::string::npos) << c.fault << ": " << Fault(c.bytes);
    // A tag of numbers that are not finite is left out, the model kept; one
    // of long axes is used.
    for (float value : {NAN, INFINITY, 30.0f}) {
        reports.clear();
        file = ReadMd3(PatchedFloat(md3::kFirstSurface + 56 * 3 + 112 + 64 + 12 + 4, value), reports);
        ASSERT_NE(file, nullptr);
        EXPECT_EQ(FindMd3Tag(*file, 2, "tag_weapon") == nullptr, value != 30.0f);
        ASSERT_EQ(reports.size(), value != 30.0f ? 1u : 0u);
        if (value != 30.0f) {
            EXPECT_EQ(reports[0], "ReadMd3: tag \"tag_weapon\" of frame 1 has an origin or axis that is not a "
                                  "finite number; the tag is left out");
        }
    }
    // Every truncation is refused, never read past.
    for (size_t size = 0; size < good.size(); size += 7)
        EXPECT_NE(Fault(std::vector<uint8_t>(good.begin(), good.begin() + static_cast<long>(size))), "read") << size;
}

TEST(Md3Reader, SkinFilesAndAnimationConfigsAreCheckedLineByLine)
{
    std::string fine = "tag_torso\nTAG_head,\n\n// a comment\nl_Legs , models/x/skin.tga\nh_head,\n";
    std::vector<SkinFileEntry> entries;
    Reports reports;
    ASSERT_TRUE(ReadSkinFile(fine, entries, reports));
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].surface, "l_legs");
    EXPECT_EQ(entries[0].image, "models/x/skin.tga");
    EXPECT_EQ(entries[1].image, "");

    std::string animations = "sex f\nheadoffset 1 2 3\nfootsteps boot\nfixedlegs\n";
    for (int i = 0; i < 25; ++i)
        animations += std::to_string(i == 6 ? 10 : i == 13 ? 14 : 20 + i) + " 2 1 15 // comment\n";
    std::vector<PlayerAnimation> read;
    ASSERT_TRUE(ReadAnimationConfig(animations, read, reports));
    ASSERT_EQ(read.size(), 25u);
    EXPECT_EQ(read[13].name, "LEGS_WALKCR");
    EXPECT_EQ(read[13].first, 10);  // less the 4 torso frames before the legs' own
    EXPECT_EQ(read[14].first, 30);
    EXPECT_EQ(read[6].first, 10);

    const struct {
        bool skin;
        std::string text;
        const char* fault;
    } cases[] = {
        {true, "l_legs models/x.tga\n", "ReadSkinFile: line 1 is not \"surface,image\""},
        {true, ",image.tga\n", "ReadSkinFile: line 1 is not"},
        {true, "a,b\n" + std::string(2000, 'x') + "\n", "ReadSkinFile: line 2 is longer than 1024 characters"},
        {false, "0 1 2\n", "ReadAnimationConfig: line 1 is not \"first count loop fps\""},
        {false, "0 1 x 15\n", "ReadAnimationConfig: line 1 is not"},
        {false, "-1 1 0 15\n", "ReadAnimationConfig: line 1 is not"},
        {false, "0 99999999999 0 15\n", "ReadAnimationConfig: line 1 is not"},
        {false, std::string(3000, ' ') + "\n", "ReadAnimationConfig: line 1 is longer than 1024"},
        {false, "sex m\n0 1 0 15\n", "ReadAnimationConfig: 1 animations, fewer than the 25 of a player"},
    };
    for (const auto& c : cases) {
        reports.clear();
        bool ok = c.skin ? ReadSkinFile(c.text, entries, reports) : ReadAnimationConfig(c.text, read, reports);
        EXPECT_FALSE(ok) << c.fault;
        EXPECT_TRUE(!reports.empty() && reports[0].find(c.fault) == 0) << c.fault << ": "
                                                                      << (reports.empty() ? "" : reports[0]);
    }
}
