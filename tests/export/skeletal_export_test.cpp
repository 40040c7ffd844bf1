// A skeletal model exported with its skeleton, read back, then checked by
// the Khronos validator and Blender.
#include <gtest/gtest.h>
#include <tiny_gltf.h>

#include <cmath>

#include "export/export_model.h"
#include "model/load.h"
#include "support/gltf_read.h"
#include "support/image_files.h"
#include "support/test_files.h"

TEST(SkeletalExport, JointsSkinAndKeysAreTheFilesInGltfAxes)
{
    TempDir dir;
    writers::SkeletalModel arm = TwoBoneArm();
    dir.Write("iqm/arm.iqm", writers::WriteIqm(arm));
    std::string md5 = writers::WriteMd5Mesh(arm);
    dir.Write("md5/arm.md5mesh", std::vector<uint8_t>(md5.begin(), md5.end()));
    for (const writers::SkeletalAnimation& animation : arm.animations) {
        std::string text = writers::WriteMd5Anim(arm, animation);
        dir.Write("md5/" + animation.name + ".md5anim", std::vector<uint8_t>(text.begin(), text.end()));
    }
    // Two textured meshes as OBJ: each its picture beside the file.
    writers::SkeletalModel two = arm;
    two.meshes.push_back(arm.meshes[0]);
    two.meshes[1].name = two.meshes[1].material = "other";
    dir.Write("two/arm.iqm", writers::WriteIqm(two));
    for (const char* image : {"two/arm_skin.png", "two/other.png"})
        dir.Write(image, EncodePng(2, 2, std::vector<uint8_t>(12, 200)));
    std::unique_ptr<ModelObject> textured = LoadModelFile("test", dir.Path("two/arm.iqm").c_str());
    ASSERT_NE(textured, nullptr);
    ExportRequest obj;
    obj.output = dir.Path("two/arm.obj");
    obj.frame = "raise2";
    std::string fault;
    ASSERT_TRUE(ExportModel(*textured, obj, fault)) << fault;
    EXPECT_EQ(Occurrences(ReadText(obj.output), "\nv "), 12);
    EXPECT_EQ(Occurrences(ReadText(dir.Path("two/arm.mtl")), "map_Kd"), 2);

    const float c = std::sqrt(0.5f);
    for (const char* name : {"iqm/arm.iqm", "md5/arm.md5mesh"}) {
        SCOPED_TRACE(name);
        std::unique_ptr<ModelObject> model = LoadModelFile("test", dir.Path(name).c_str());
        ASSERT_NE(model, nullptr);
        ExportRequest request;
        request.output = dir.Path(std::string(name) + ".glb");
        request.scale = 1.0f;
        std::string error;
        ASSERT_TRUE(ExportModel(*model, request, error)) << error;
        tinygltf::Model gltf;
        tinygltf::TinyGLTF loader;
        std::string warning;
        ASSERT_TRUE(loader.LoadBinaryFromFile(&gltf, &error, &warning, request.output)) << error;

        // The file's x, y, z are glTF's z, x, y: the elbow 10 along z.
        ASSERT_EQ(gltf.nodes.size(), 3u);
        EXPECT_EQ(gltf.nodes[0].skin, 0);
        EXPECT_EQ(gltf.nodes[1].name, "shoulder");
        EXPECT_EQ(gltf.nodes[1].children, std::vector<int>{2});
        EXPECT_EQ(gltf.nodes[2].translation, (std::vector<double>{0, 0, 10}));
        EXPECT_EQ(gltf.skins[0].joints, (std::vector<int>{1, 2}));
        std::vector<float> inverse = Values<float>(gltf, gltf.skins[0].inverseBindMatrices);
        EXPECT_NEAR(inverse[16 + 14], -10.0f, 1e-5);
        EXPECT_NEAR(inverse[0] + inverse[5] + inverse[10], 3.0f, 1e-5);

        const tinygltf::Primitive& primitive = gltf.meshes[0].primitives[0];
        std::vector<float> positions = Values<float>(gltf, primitive.attributes.at("POSITION"));
        std::vector<float> weights = Values<float>(gltf, primitive.attributes.at("WEIGHTS_0"));
        std::vector<uint16_t> joints = Values<uint16_t>(gltf, primitive.attributes.at("JOINTS_0"));
        for (size_t v = 0; 3 * v < positions.size(); ++v) {
            if (std::fabs(positions[3 * v + 2] - 15) > 1e-4)
                continue;
            for (int k = 0; k < 2; ++k)  // the shared vertex: its two joints, largest first
                EXPECT_NEAR(weights[4 * v + k] * (joints[4 * v + k] == 0 ? 1 : -1), k == 0 ? 0.6f : -0.4f, 1e-5);
        }

        // Each sequence at its own rate; the keys of a joint that turns.
        const struct {
            const char* name;
            int node;
            float time, rotation[4];
        } keys[] = {{"raise", 2, 0.1f, {0, c, 0, c}}, {"wave", 1, 0.2f, {0, 0, c, c}}};
        for (const auto& key : keys) {
            const tinygltf::Animation* animation = Animation(gltf, key.name);
            ASSERT_NE(animation, nullptr);
            const tinygltf::AnimationSampler* turn = Sampler(*animation, key.node, "rotation");
            ASSERT_NE(turn, nullptr);
            EXPECT_EQ(Values<float>(gltf, turn->input), (std::vector<float>{0, key.time}));
            std::vector<float> rotations = Values<float>(gltf, turn->output);
            for (int k = 0; k < 4; ++k)
                EXPECT_NEAR(rotations[4 + k], key.rotation[k], 1e-4);
        }
        std::string skip, report = ValidatorVerdict(request.output, skip);
        if (skip.empty()) {
            EXPECT_NE(report.find(": 0 errors, 0 warnings"), std::string::npos) << report;
        }
    }
    std::string skip, blender = BlenderImport(dir.Path("iqm/arm.iqm.glb"), skip);
    if (!skip.empty())
        GTEST_SKIP() << skip;
    EXPECT_NE(blender.find("ARMATURE parent - shape keys 0 bones 2"), std::string::npos) << blender;
    EXPECT_NE(blender.find("action raise"), std::string::npos) << blender;
    EXPECT_NE(blender.find("action wave"), std::string::npos) << blender;
}
