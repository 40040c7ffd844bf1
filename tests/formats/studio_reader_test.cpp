// Half-Life's studio models: the arm written as one and drawn as its IQM,
// the features of the format loaded as GoldSrc shows them, hostile files.
#include <gtest/gtest.h>

#include "formats/iqm.h"
#include "formats/shader_script.h"
#include "formats/studio.h"
#include "model/iqm_model.h"
#include "model/load.h"
#include "model/skeletal_load.h"
#include "model/studio_model.h"
#include "studio_writer.h"
#include "support/round_trip.h"
#include "support/test_files.h"

namespace {

namespace studio = writers::studio;

// The arm with its triangles in the order GoldSrc's strips and fans keep:
// a strip of the first two, a fan of the last two.
writers::SkeletalModel StripArm()
{
    writers::SkeletalModel arm = OneBoneArm();
    arm.meshes[0].triangles = {0, 2, 1, 2, 3, 1, 2, 5, 3, 2, 4, 5};
    return arm;
}

writers::StudioPicture Picture(const std::string& name, uint32_t flags)
{
    writers::StudioPicture picture{name, flags, 8, 8, {}};
    if (flags & kStudioMasked)
        for (uint32_t i = 0; i < 64; ++i)
            picture.pixels.push_back(i % 8 < 4 ? 255 : static_cast<uint8_t>(i));
    return picture;
}

StudioCompanion Beside(const writers::StudioFiles& files)
{
    return [files](const std::string& suffix, std::vector<uint8_t>& bytes) {
        bytes = suffix == "T" ? files.textures : suffix == "01" ? files.group : std::vector<uint8_t>();
        return !bytes.empty();
    };
}

std::string Fault(const std::vector<uint8_t>& bytes, const StudioCompanion& beside = nullptr)
{
    Reports reports;
    return ReadStudio(bytes, beside, reports) ? "read" : reports.empty() ? "no report" : reports[0];
}

std::vector<uint8_t> Patched(std::vector<uint8_t> bytes, size_t at, uint32_t value)
{
    for (int k = 0; k < 4; ++k)
        bytes[at + k] = static_cast<uint8_t>(value >> (8 * k));
    return bytes;
}

uint32_t Get(const std::vector<uint8_t>& bytes, size_t at)
{
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | uint32_t(bytes[at + 3]) << 24;
}

}  // namespace

TEST(StudioReader, TheArmIsDrawnAsItsIqmItsPackedFramesUnpackedAndHostileFilesRefused)
{
    writers::StudioOptions options;
    options.textures = {Picture("arm_skin", 0)};
    options.firstBlended = options.lastInGroup = true;
    writers::StudioFiles files = writers::WriteStudio(StripArm(), options);
    Reports reports;
    std::unique_ptr<StudioFile> file = ReadStudio(files.model, Beside(files), reports);
    ASSERT_NE(file, nullptr) << (reports.empty() ? "" : reports[0]);
    EXPECT_EQ(file->sequences[0].blends, 2u);
    EXPECT_EQ(file->bodyParts[0].models[0].meshes[0].corners.size(), 12u) << "a strip and a fan of two each";

    // Every frame's corners (the first blend's, the second group's) and texture coordinates where IQM puts them.
    std::unique_ptr<IqmFile> iqm = ReadIqm(writers::WriteIqm(StripArm()), reports);
    ASSERT_NE(iqm, nullptr);
    auto hlSkeleton = std::make_shared<const Skeleton>(StudioSkeleton(*file));
    auto iqmSkeleton = std::make_shared<const Skeleton>(IqmSkeleton(*iqm));
    DrawnModel a = SkeletalDrawn(StudioParts(*file, 0, hlSkeleton, nullptr), hlSkeleton, "", "");
    DrawnModel b = SkeletalDrawn(IqmParts(*iqm, iqmSkeleton, reports), iqmSkeleton, "", "");
    ASSERT_EQ(a.frameCount, b.frameCount);
    for (int frame = 0; frame < b.frameCount; ++frame) {
        std::vector<float> hl = FrameCorners(a, frame), want = FrameCorners(b, frame);
        ASSERT_EQ(hl.size(), want.size());
        for (size_t i = 0; i < want.size(); ++i)
            ASSERT_NEAR(hl[i], want[i], 2e-3) << "frame " << frame << " value " << i;
    }
    for (size_t k = 0; k < b.parts[0].triangles->indices.size(); ++k)
        for (int c = 0; c < 2; ++c)
            EXPECT_FLOAT_EQ(a.parts[0].triangles->texCoords[2 * a.parts[0].triangles->indices[k] + c],
                            b.parts[0].triangles->texCoords[2 * b.parts[0].triangles->indices[k] + c]);

    const size_t sequence = Get(files.model, studio::kOfsSequences), bone = Get(files.model, studio::kOfsBones);
    const size_t part = Get(files.model, studio::kOfsBodyParts), model = Get(files.model, part + 72);
    const size_t mesh = Get(files.model, model + 76), texture = Get(files.model, studio::kOfsTextures);
    const struct {
        std::vector<uint8_t> bytes;
        const char* fault;
    } cases[] = {
        {Patched(files.model, 4, 11), "not a version 10 studio model"},
        {Patched(files.model, studio::kNumBones, 100000), "bones at"},
        {Patched(files.model, bone + 32, 0), "bone 0 has parent 0, not one before it"},
        {Patched(files.model, bone + 112 + 40, 3), "bone 1 names controller 3 of 0"},
        {Patched(files.model, sequence + 56, 1u << 30), "sequence 0 has 1073741824 frames"},
        {Patched(files.model, sequence + 156, 5), "in group 5 of 2"},
        {Patched(files.model, sequence + 124, 0xFFFFFF00), "sequence 0's animation at"},
        {Patched(files.model, Get(files.model, sequence + 124), 0x0000FFFF), "sequence 0's animation at"},
        {Patched(files.model, studio::kOfsAttachments, 0xFFFFFFF0), "do not fit"},
        {Patched(files.model, part + 68, 0), "body part 0 has 1 sub-models counted by 0"},
        {Patched(files.model, model + 80, 70000), "sub-model 0 has a table or index past its end"},
        {Patched(files.model, Get(files.model, model + 84), 9), "sub-model 0 has a table or index"},
        {Patched(files.model, Get(files.model, mesh + 4), 0x00077FFF), "sub-model 0 has a table or index"},
        {Patched(files.model, mesh + 8, 4), "sub-model 0 has a table or index"},
        {Patched(files.model, texture + 68, 5000), "texture 0 of 5000 x 8"},
        {Patched(files.model, Get(files.model, 200), 7), "skin family 0 names texture 7 of 1"},
    };
    for (const auto& c : cases)
        EXPECT_NE(Fault(c.bytes, Beside(files)).find(c.fault), std::string::npos)
            << c.fault << ": " << Fault(c.bytes, Beside(files));
    for (size_t size = 0; size < files.model.size(); size += 3)
        EXPECT_NE(Fault(std::vector<uint8_t>(files.model.begin(), files.model.begin() + static_cast<long>(size)),
                        Beside(files)),
                  "read")
            << size;
}

TEST(StudioModel, BodyPartsTextureFileFlagsSkinFamiliesAndAttachmentsAreLoadedAsGoldSrcShowsThem)
{
    writers::SkeletalModel arm = StripArm();
    arm.meshes.push_back(arm.meshes[0]), arm.meshes.push_back(arm.meshes[0]), arm.meshes.push_back(arm.meshes[0]);
    const char* textures[] = {"arm.bmp", "visor.bmp", "chrome.bmp", "glow.bmp"};
    for (int m = 0; m < 4; ++m)
        arm.meshes[m].material = textures[m];
    writers::StudioOptions options;
    options.textures = {Picture("arm.bmp", 0), Picture("visor.bmp", kStudioMasked), Picture("chrome.bmp", kStudioChrome),
                        Picture("glow.bmp", kStudioAdditive)};
    options.bodyParts = {{{0}}, {{}, {1, 2, 3}}};
    options.skinFamilies = {{0, 1, 2, 3}, {2, 1, 0, 3}};
    options.texturesApart = options.lastInGroup = true;
    options.attachments = {{1, {5, 0, 0}}};
    writers::StudioFiles files = writers::WriteStudio(arm, options);
    TempDir folder;
    std::string path = folder.Write("arm.mdl", files.model);
    folder.Write("armT.mdl", files.textures);

    // The group file missing: its sequence stays at rest; the rest loads.
    SetModelBody(0);
    std::unique_ptr<ModelObject> model = LoadModelFile("test", path.c_str());
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(model->bodies, 2);
    ASSERT_EQ(model->drawn->parts.size(), 1u) << "the second part's first sub-model is empty";
    const TagPlace* hand = FindTag(*model->drawn, 1, "tag_hand1");
    ASSERT_NE(hand, nullptr);
    EXPECT_NEAR(hand->origin[0], 10, 1e-3) << "the elbow turned a quarter about z at frame 2 of raise";
    EXPECT_NEAR(hand->origin[1], 5, 1e-3);

    folder.Write("arm01.mdl", files.group);
    SetModelBody(1);
    model = LoadModelFile("test", path.c_str());
    SetModelBody(0);
    ASSERT_NE(model, nullptr);
    ASSERT_EQ(model->drawn->parts.size(), 4u);
    ASSERT_EQ(model->numSkins, 2);
    EXPECT_EQ(model->skins[1].partPictures[0], model->skins[0].partPictures[2]) << "the second family swaps";
    const RgbImage& visor = model->skinPictures[model->skins[0].partPictures[1]];
    ASSERT_EQ(visor.alpha.size(), 64u);
    EXPECT_EQ(visor.alpha[3], 0) << "index 255 is clear";
    EXPECT_EQ(visor.alpha[4], 255);
    const ShaderStage& masked = *model->shaders[model->skins[0].partShaders[1]].passes[0].stage;
    const ShaderStage& chrome = *model->shaders[model->skins[0].partShaders[2]].passes[0].stage;
    const ShaderStage& glow = *model->shaders[model->skins[0].partShaders[3]].passes[0].stage;
    EXPECT_EQ(masked.alphaTest, AlphaTest::kAtLeastHalf);
    EXPECT_EQ(chrome.tcGen, TexGen::kEnvironment);
    EXPECT_TRUE(glow.blend && glow.blendSource == BlendFactor::kOne && glow.blendDestination == BlendFactor::kOne);
    EXPECT_EQ(model->skins[0].partShaders[0], -1) << "a plain texture is drawn lit, as it is";
}
