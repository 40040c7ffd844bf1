// DarkPlaces' own model readers (DPM, ZYM) against the arm written in each
// and hostile versions of it, the arm drawn as its IQM is.
#include <gtest/gtest.h>

#include <algorithm>

#include "formats/dpm.h"
#include "formats/iqm.h"
#include "formats/zym.h"
#include "geometry/pose.h"
#include "model/dpm_model.h"
#include "model/iqm_model.h"
#include "model/skeletal_load.h"
#include "model/zym_model.h"
#include "support/test_files.h"

namespace {

namespace dpm = writers::dpm;
namespace zym = writers::zym;

uint32_t GetBig(const std::vector<uint8_t>& bytes, size_t at)
{
    return uint32_t(bytes[at]) << 24 | uint32_t(bytes[at + 1]) << 16 | uint32_t(bytes[at + 2]) << 8 | bytes[at + 3];
}

// The arm with a big-endian field set: a header field's, or one at the
// offset a header field gives plus some.
std::vector<uint8_t> Patched(std::vector<uint8_t> bytes, size_t field, size_t plus, uint32_t value,
                             bool indirect = true)
{
    size_t at = (indirect ? GetBig(bytes, field) : field) + plus;
    for (int k = 0; k < 4; ++k)
        bytes[at + k] = static_cast<uint8_t>(value >> (24 - 8 * k));
    return bytes;
}

std::vector<uint8_t> Patched(size_t field, size_t plus, uint32_t value, bool indirect = true)
{
    return Patched(writers::WriteDpm(TwoBoneArm()), field, plus, value, indirect);
}

template <typename Read>
std::string Fault(Read read, const std::vector<uint8_t>& bytes)
{
    Reports reports;
    return read(bytes, reports) ? "read" : reports.empty() ? "no report" : reports[0];
}

std::string Fault(const std::vector<uint8_t>& bytes)
{
    return Fault(ReadDpm, bytes);
}

// Every drawn corner of every frame.
std::vector<float> Corners(const DrawnModel& drawn)
{
    std::vector<float> all, positions, normals;
    for (const DrawnPart& part : drawn.parts)
        for (int frame = 0; frame < drawn.frameCount; ++frame) {
            PoseFrame(part, frame, false, positions, normals);
            for (uint32_t index : part.corners)
                all.insert(all.end(), &positions[3 * index], &positions[3 * index] + 3);
        }
    return all;
}

}  // namespace

TEST(DpmReader, TheArmIsReadAndDrawnAsItsIqmAndHostileFilesRefused)
{
    std::vector<uint8_t> good = writers::WriteDpm(TwoBoneArm());
    Reports reports;
    std::unique_ptr<DpmFile> file = ReadDpm(good, reports);
    ASSERT_NE(file, nullptr) << (reports.empty() ? "" : reports[0]);
    EXPECT_EQ(file->bones[1].name, "elbow");
    EXPECT_EQ(file->meshes[0].shader, "arm_skin");

    // The same arm as IQM: every frame's every corner where the IQM puts it.
    std::unique_ptr<IqmFile> iqm = ReadIqm(writers::WriteIqm(TwoBoneArm()), reports);
    ASSERT_NE(iqm, nullptr);
    auto dpmSkeleton = std::make_shared<const Skeleton>(DpmSkeleton(*file));
    auto iqmSkeleton = std::make_shared<const Skeleton>(IqmSkeleton(*iqm));
    DrawnModel a = SkeletalDrawn(DpmParts(*file, dpmSkeleton, reports), dpmSkeleton, "", "");
    DrawnModel b = SkeletalDrawn(IqmParts(*iqm, iqmSkeleton, reports), iqmSkeleton, "", "");
    EXPECT_EQ(a.frameCount, b.frameCount + 1) << "the base frame, then the animations'";
    std::vector<float> fromDpm = Corners(a), fromIqm = Corners(b);
    ASSERT_EQ(fromDpm.size(), fromIqm.size() + fromIqm.size() / b.frameCount);
    for (size_t i = 0; i < fromIqm.size(); ++i)
        ASSERT_NEAR(fromDpm[i + fromIqm.size() / b.frameCount], fromIqm[i], 1e-4) << i;

    size_t mesh = GetBig(good, dpm::kOfsMeshes);
    const struct {
        std::vector<uint8_t> bytes;
        const char* fault;
    } cases[] = {
        {Patched(16, 0, 3, false), "not a DarkPlaces model of type 2"},
        {Patched(dpm::kNumBones, 0, 100000000, false), "bones at"},
        {Patched(dpm::kOfsBones, 32, 1), "bone 0 has parent 1, not one before it"},
        {Patched(dpm::kOfsBones, 40 + 32, 1), "bone 1 has parent 1, not one before it"},
        {Patched(dpm::kNumMeshes, 0, 0, false), "0 meshes"},
        {Patched(mesh + 32, 0, 0x7FFFFFFF, false), "mesh 0's 2147483647 vertices"},
        {Patched(mesh + 40, 4 + 28, 7), "a bone past the 2"},
        {Patched(mesh + 40, 0, 0), "a vertex of no bone"},
        {Patched(mesh + 48, 0, 6), "names vertex 6 of 6"},
        {Patched(dpm::kNumFrames, 0, 1u << 30, false), "frames"},
        {Patched(dpm::kOfsFrames, 64, 0xFFFFFF00), "frame 0's bone poses"},
    };
    for (const auto& c : cases)
        EXPECT_NE(Fault(c.bytes).find(c.fault), std::string::npos) << c.fault << ": " << Fault(c.bytes);
    for (size_t size = 0; size < good.size(); size += 3)
        EXPECT_NE(Fault(std::vector<uint8_t>(good.begin(), good.begin() + static_cast<long>(size))), "read") << size;
}

TEST(ZymReader, TheArmIsReadAndDrawnAsItsIqmAndHostileFilesRefused)
{
    std::vector<uint8_t> good = writers::WriteZym(OneBoneArm());
    Reports reports;
    std::unique_ptr<ZymFile> file = ReadZym(good, reports);
    ASSERT_NE(file, nullptr) << (reports.empty() ? "" : reports[0]);
    EXPECT_EQ(file->bones[1].name, "elbow");
    EXPECT_EQ(file->shaders[0], "arm_skin");
    ASSERT_EQ(file->scenes.size(), 3u);
    EXPECT_EQ(file->scenes[2].name, "wave");

    std::unique_ptr<IqmFile> iqm = ReadIqm(writers::WriteIqm(OneBoneArm()), reports);
    ASSERT_NE(iqm, nullptr);
    auto zymSkeleton = std::make_shared<const Skeleton>(ZymSkeleton(*file));
    auto iqmSkeleton = std::make_shared<const Skeleton>(IqmSkeleton(*iqm));
    DrawnModel a = SkeletalDrawn(ZymParts(*file, zymSkeleton), zymSkeleton, "", "");
    DrawnModel b = SkeletalDrawn(IqmParts(*iqm, iqmSkeleton, reports), iqmSkeleton, "", "");
    std::vector<float> fromZym = Corners(a), fromIqm = Corners(b);
    size_t frame = fromIqm.size() / b.frameCount;
    ASSERT_EQ(fromZym.size(), fromIqm.size() + frame) << "the base scene, then the animations'";
    for (size_t i = 0; i < fromIqm.size(); ++i)
        ASSERT_NEAR(fromZym[i + frame], fromIqm[i], 1e-4) << i;
    auto cornerTexCoords = [](const DrawnPart& part) {
        std::vector<float> st;
        for (uint32_t index : part.triangles->indices)
            st.insert(st.end(), &part.triangles->texCoords[2 * index], &part.triangles->texCoords[2 * index] + 2);
        return st;
    };
    EXPECT_EQ(cornerTexCoords(a.parts[0]), cornerTexCoords(b.parts[0]));

    auto lump = [&](int which) { return zym::kLumps + 8 * size_t(which); };
    const struct {
        std::vector<uint8_t> bytes;
        const char* fault;
    } cases[] = {
        {Patched(good, 12, 0, 2, false), "not a Zymotic model of type 1"},
        {Patched(good, zym::kNumBones, 0, 100000000, false), "bones do not fit"},
        {Patched(good, lump(zym::kBones), 36, 0), "bone 0 has parent 0, not one before it"},
        {Patched(good, lump(zym::kPoses) + 4, 0, 8, false), "no pose of the 2 bones"},
        {Patched(good, lump(zym::kScenes), 72, 99), "scene 0 (\"base\") runs past the"},
        {Patched(good, lump(zym::kBoneCounts), 0, 2), "vertex 0 is not on one bone"},
        {Patched(good, lump(zym::kVertices), 0, 2), "vertex 0 is not on one bone of the 2"},
        {Patched(good, zym::kNumVertices, 0, 1u << 30, false), "vertices do not fit"},
        {Patched(good, lump(zym::kRender), 0, 5), "triangles run past the render list"},
        {Patched(good, lump(zym::kRender), 4, 6), "name vertex 6 of 6"},
    };
    for (const auto& c : cases)
        EXPECT_NE(Fault(ReadZym, c.bytes).find(c.fault), std::string::npos) << c.fault << ": " << Fault(ReadZym, c.bytes);
    for (size_t size = 0; size < GetBig(good, lump(zym::kTriZone)); size += 3)  // the trizone is not read
        EXPECT_NE(Fault(ReadZym, std::vector<uint8_t>(good.begin(), good.begin() + static_cast<long>(size))), "read")
            << size;
}
