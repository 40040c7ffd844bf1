// The DarkPlaces model reader against the arm written as DPM and hostile
// versions of it, and the arm drawn as its IQM is.
#include <gtest/gtest.h>

#include "formats/dpm.h"
#include "formats/iqm.h"
#include "geometry/pose.h"
#include "model/dpm_model.h"
#include "model/iqm_model.h"
#include "model/skeletal_load.h"
#include "support/test_files.h"

namespace {

namespace dpm = writers::dpm;

uint32_t GetBig(const std::vector<uint8_t>& bytes, size_t at)
{
    return uint32_t(bytes[at]) << 24 | uint32_t(bytes[at + 1]) << 16 | uint32_t(bytes[at + 2]) << 8 | bytes[at + 3];
}

// The arm with a big-endian field set: a header field's, or one at the
// offset a header field gives plus some.
std::vector<uint8_t> Patched(size_t field, size_t plus, uint32_t value, bool indirect = true)
{
    std::vector<uint8_t> bytes = writers::WriteDpm(TwoBoneArm());
    size_t at = (indirect ? GetBig(bytes, field) : field) + plus;
    for (int k = 0; k < 4; ++k)
        bytes[at + k] = static_cast<uint8_t>(value >> (24 - 8 * k));
    return bytes;
}

std::string Fault(const std::vector<uint8_t>& bytes)
{
    Reports reports;
    return ReadDpm(bytes, reports) ? "read" : reports.empty() ? "no report" : reports[0];
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
