// Return to Castle Wolfenstein's compressed MD3 (MDC): a quad written as
// both, the MDC's base and compressed frames drawn where the MD3's are,
// its tags turned as the engine turns them, hostile files refused.
#include <gtest/gtest.h>

#include "formats/md3.h"
#include "formats/mdc.h"
#include "model/md3_model.h"
#include "model/mdc_model.h"
#include "support/round_trip.h"
#include "support/test_files.h"

namespace {

namespace mdc = writers::mdc;

writers::Md3Model Quad()
{
    writers::Md3Model model;
    model.frameNames = {"a", "b", "c"};
    model.surfaces = {TinySurface("quad", 3, "models/quad")};
    writers::Md3Tag tag;
    tag.name = "tag_weapon";
    tag.origin[0] = 1, tag.origin[1] = 2, tag.origin[2] = 3;
    model.tags.assign(3, {tag});
    return model;
}

std::vector<uint8_t> Patched(std::vector<uint8_t> bytes, size_t at, int32_t value)
{
    writers::PutInt32(bytes, at, value);
    return bytes;
}

std::string Fault(const std::vector<uint8_t>& bytes)
{
    Reports reports;
    return ReadMdc(bytes, reports) ? "read" : reports.empty() ? "no report" : reports[0];
}

}  // namespace

TEST(MdcReader, BaseAndCompressedFramesAreDrawnAsTheMd3AndHostileFilesRefused)
{
    // Frame b is a's vertices moved 4 units along x: compressed; c is 8 away: a base frame.
    std::vector<uint8_t> good = writers::WriteMdc(Quad(), {true, false, true}, {{0, 90, 0}});
    Reports reports;
    std::unique_ptr<MdcFile> file = ReadMdc(good, reports);
    ASSERT_NE(file, nullptr) << (reports.empty() ? "" : reports[0]);
    EXPECT_EQ(file->baseFrames, 2);
    EXPECT_EQ(file->compressedFrames, 1);
    std::unique_ptr<Md3File> md3 = ReadMd3(writers::WriteMd3(Quad()), reports);
    ASSERT_NE(md3, nullptr);
    DrawnModel a = ConvertRecord(*file), b = ConvertRecord(*md3);
    for (int frame = 0; frame < 3; ++frame) {
        std::vector<float> from = FrameCorners(a, frame), want = FrameCorners(b, frame);
        ASSERT_EQ(from.size(), want.size());
        for (size_t i = 0; i < want.size(); ++i)
            EXPECT_NEAR(from[i], want[i], 0.025) << "frame " << frame << " value " << i;
    }
    for (int v = 0; v < 4; ++v)
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(file->frames[0][4 + v].normal[k], MdcNormal(static_cast<uint8_t>(255 - v))[k]) << v;

    // The engine's table of 256, where its rings begin and end.
    const struct {
        int index;
        float normal[3];
    } table[] = {{1, {0.980785f, 0.195090f, 0}},
                 {143, {0, -0.195090f, -0.980785f}},
                 {144, {0.980785f, 0, 0.195090f}},
                 {255, {0, -0.195090f, 0.980785f}}};
    for (const auto& t : table)
        for (int k = 0; k < 3; ++k)
            EXPECT_NEAR(MdcNormal(static_cast<uint8_t>(t.index))[k], t.normal[k], 1e-5) << t.index;

    // Yaw 90: forward along y, left along -x.
    const TagPlace* tag = FindTag(a, 1, "tag_weapon");
    ASSERT_NE(tag, nullptr);
    const float origin[3] = {1, 2, 3}, axis[3][3] = {{0, 1, 0}, {-1, 0, 0}, {0, 0, 1}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(tag->origin[i], origin[i], 1e-5);
        for (int k = 0; k < 3; ++k)
            EXPECT_NEAR(tag->axis[i][k], axis[i][k], 1e-3) << i << k;
    }

    size_t surface = static_cast<size_t>(good[mdc::kOfsSurfaces] | good[mdc::kOfsSurfaces + 1] << 8);
    auto at = [&](size_t field) {
        size_t offset = surface + field;
        return static_cast<size_t>(good[offset] | good[offset + 1] << 8) + surface;
    };
    const struct {
        std::vector<uint8_t> bytes;
        const char* fault;
    } cases[] = {
        {Patched(good, 4, 3), "not a version 2 MDC model"},
        {Patched(good, mdc::kNumFrames, 0), "0 frames"},
        {Patched(good, mdc::kNumFrames, 2000), "2000 frames"},
        {Patched(good, mdc::kOfsTags, 0x7FFFFFF0), "tags at"},
        {Patched(good, surface + mdc::kNumBase, 0), "surface 0 at"},
        {Patched(good, surface + mdc::kNumVertices, 1 << 19), "surface 0 at"},
        {Patched(good, surface + mdc::kNumVertices, 1 << 23), "decode to more than"},
        {Patched(good, surface + mdc::kOfsEnd, 1 << 20), "surface 0 at"},
        {Patched(good, surface + mdc::kOfsTriangles, -8), "surface 0 at"},
        {Patched(good, at(mdc::kOfsTriangles), 4), "surface 0 at"},
        {Patched(good, at(mdc::kOfsFrameBases), 2 << 16 | 2), "surface 0 at"},
        {Patched(good, at(mdc::kOfsFrameCompressed), 1), "surface 0 at"},
    };
    for (const auto& c : cases)
        EXPECT_NE(Fault(c.bytes).find(c.fault), std::string::npos) << c.fault << ": " << Fault(c.bytes);
    for (size_t size = 0; size < good.size(); size += 3)
        EXPECT_NE(Fault(std::vector<uint8_t>(good.begin(), good.begin() + static_cast<long>(size))), "read") << size;
}
