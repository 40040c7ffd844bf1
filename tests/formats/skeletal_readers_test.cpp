// The IQM and MD5 readers against the fixtures and hostile versions of them.
#include <gtest/gtest.h>

#include <cstring>

#include "formats/iqm.h"
#include "formats/md5.h"
#include "support/test_files.h"

namespace {

namespace iqm = writers::iqm;

uint32_t Get32(const std::vector<uint8_t>& bytes, size_t at)
{
    uint32_t value;
    memcpy(&value, bytes.data() + at, 4);
    return value;
}

// The arm with a header field, or a field at an offset a header field gives, set to value.
std::vector<uint8_t> Patched(size_t field, size_t plus, int32_t value, bool indirect = true)
{
    std::vector<uint8_t> bytes = writers::WriteIqm(TwoBoneArm());
    writers::PutInt32(bytes, (indirect ? Get32(bytes, field) : field) + plus, value);
    return bytes;
}

template <typename Record>
std::string Fault(const Record& record, const Reports& reports)
{
    return record ? std::string("read") : reports.empty() ? std::string("no report") : reports[0];
}

std::string IqmFault(const std::vector<uint8_t>& bytes)
{
    Reports reports;
    return Fault(ReadIqm(bytes, reports), reports);
}

std::string Replaced(std::string text, const std::string& from, const std::string& to)
{
    size_t at = text.find(from);
    return at == std::string::npos ? "(no " + from + ")" : text.replace(at, from.size(), to);
}

}  // namespace

TEST(SkeletalReaders, IqmFilesAreReadWholeAndHostileOnesRefusedWithTheirFault)
{
    std::vector<uint8_t> good = writers::WriteIqm(TwoBoneArm());
    Reports reports;
    std::unique_ptr<IqmFile> file = ReadIqm(good, reports);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->joints[1].name, "elbow");
    EXPECT_EQ(file->meshes[0].material, "arm_skin");
    EXPECT_NEAR(file->blendWeights[4 * 2 + 1], 0.4f, 1e-6);
    EXPECT_EQ(file->animations[1].name, "wave");
    EXPECT_EQ(file->frameCount, 4u);

    size_t blendIndexes = Get32(good, iqm::kOfsVertexArrays) + 3 * 20 + 16;
    const struct {
        std::vector<uint8_t> bytes;
        const char* fault;
    } cases[] = {
        {Patched(16, 0, 1, false), "the file is version 1, not 2"},
        {Patched(iqm::kOfsJoints, 0, -256, false), "the joints (offset 4294967040"},
        {Patched(iqm::kNumJoints, 0, 10000000, false), "the joints (offset"},
        {Patched(iqm::kOfsJoints, 48 + 4, 1), "joint 1 (\"elbow\") has parent 1, not one before it"},
        {Patched(iqm::kOfsJoints, 4, 1), "joint 0 (\"shoulder\") has parent 1, not one before it"},
        {Patched(iqm::kOfsJoints, 48, 9999), "a name at 9999 lies past the"},
        {Patched(iqm::kOfsJoints, 8, 0x7FC00000), "joint 0 has a number that is not finite"},
        {Patched(blendIndexes, 8, 0x00000900), "vertex 2 is weighted to joint 9 but the file has 2"},
        {Patched(iqm::kOfsAnims, 8, 99), "animation \"raise\" (frames 0 to 98) runs past the 4 frames"},
        {Patched(iqm::kNumFrames, 0, 1 << 30, false), "the frames (offset"},
        {Patched(Get32(good, 60), 0, 7, false), "triangle 0 uses vertex 7 but the file has 6"},
        {std::vector<uint8_t>(good.begin(), good.begin() + 300), "the header says"},
    };
    for (const auto& c : cases)
        EXPECT_NE(IqmFault(c.bytes).find(c.fault), std::string::npos) << c.fault << ": " << IqmFault(c.bytes);
    for (size_t size = 0; size < good.size(); size += 5) {
        std::vector<uint8_t> cut(good.begin(), good.begin() + static_cast<long>(size));
        writers::PutInt32(cut.size() >= 24 ? cut : good, 20, static_cast<int32_t>(size));  // a header that agrees
        EXPECT_NE(IqmFault(cut), "read") << size;
    }
}

TEST(SkeletalReaders, Md5TextIsReadWholeAndHostileTextRefusedWithItsLine)
{
    writers::SkeletalModel arm = TwoBoneArm();
    std::string mesh = writers::WriteMd5Mesh(arm), anim = writers::WriteMd5Anim(arm, arm.animations[0]);
    Reports reports;
    std::unique_ptr<Md5MeshFile> file = ReadMd5Mesh(mesh, reports);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->meshes[0].name, "arm");
    EXPECT_EQ(file->meshes[0].shader, "arm_skin");
    EXPECT_EQ(file->meshes[0].weights.size(), 8u);
    EXPECT_NE(ReadMd5Anim(anim, reports), nullptr);

    const struct {
        bool isMesh;
        std::string text;
        const char* fault;
    } cases[] = {
        {true, Replaced(mesh, "MD5Version 10", "MD5Version 11"), "ReadMd5Mesh: line 1: the version is not 10"},
        {true, Replaced(mesh, "\"elbow\" 0", "\"elbow\" 1"), "a joint's parent is 1, outside -1 to 0"},
        {true, Replaced(mesh, "\"shoulder\" -1", "\"shoulder\" 1"), "a joint's parent is 1, outside -1 to -1"},
        {true, Replaced(mesh, "numJoints 2", "numJoints 10000000"), "the joints end after 2 of the 10000000 numJoints gives"},
        {true, Replaced(mesh, " 0.6 ", " nan "), "\"nan\" is not a number"},
        {true, Replaced(mesh, " 0.6 ", " -0.6 "), "a weight's bias is negative"},
        {true, Replaced(mesh, "weight 3 1", "weight 3 7"), "a weight's joint is 7, outside 0 to 1"},
        {true, Replaced(mesh, "tri 0 0 2 1", "tri 0 0 2 6"), "a triangle's vertex is 6, outside 0 to 5"},
        {true, Replaced(mesh, "vert 5 ( 1 1 ) 7 1", "vert 5 ( 1 1 ) 8 1"), "a vertex's weights run past"},
        {true, mesh.substr(0, mesh.size() / 2), "ReadMd5Mesh: line"},
        {false, Replaced(anim, "numFrames 2", "numFrames 3"), "numFrames says 3 frames and the file has 2"},
        {false, Replaced(anim, "\"elbow\" 0 63 6", "\"elbow\" 0 63 60"), "components run past the 12 of a frame"},
        {false, Replaced(anim, "frameRate 10", "frameRate ten"), "frameRate \"ten\" is not a whole number"},
        {false, anim.substr(0, anim.size() - 9), "ReadMd5Anim: line"},
    };
    for (const auto& c : cases) {
        reports.clear();
        std::string fault = c.isMesh ? Fault(ReadMd5Mesh(c.text, reports), reports)
                                     : Fault(ReadMd5Anim(c.text, reports), reports);
        EXPECT_NE(fault.find(c.fault), std::string::npos) << c.fault << ": " << fault;
    }
}
