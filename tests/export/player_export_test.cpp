// A Quake III player exported whole, read back and checked against what the
// viewer draws, then by the Khronos validator and Blender.
#include <gtest/gtest.h>
#include <tiny_gltf.h>

#include <cmath>
#include <cstring>
#include <filesystem>

#include "export/player_export.h"
#include "render/draw.h"
#include "render/tags.h"
#include "rig/assembly.h"
#include "scene/model_list.h"
#include "state/viewer_state.h"
#include "scene/q3_player.h"
#include "support/gl_context.h"
#include "support/gltf_read.h"
#include "support/programs.h"

TEST_F(ViewerTest, AnExportedPlayerHangsItsPartsWhereTheViewerDoes)
{
    std::string folder = dir.Path("game/baseq3/models/players/tiny");
    WriteTinyPlayer(dir, "game/baseq3/models/players/tiny");
    WriteTinyWeapon(dir, "game/baseq3/models/weapons2/gun");
    ExportRequest request;
    request.output = dir.Path("tiny.glb");
    request.skinName = "red";
    request.scale = 1.0f;
    std::string error;
    Assembly player;
    ASSERT_TRUE(LoadAssembly("test", folder, "gun", player));
    ASSERT_TRUE(ExportAssembly(player, request, error)) << error;
    tinygltf::Model gltf;
    tinygltf::TinyGLTF loader;
    std::string warning;
    ASSERT_TRUE(loader.LoadBinaryFromFile(&gltf, &error, &warning, request.output)) << error;
    // Each part hangs under its parent's tag node.
    const std::vector<std::string> names = {"lower",     "tag_torso",  "upper",      "tag_head",   "tag_weapon", "head",
                                            "gun",       "tag_barrel", "tag_flash",  "gun_barrel", "gun_flash"};
    const std::vector<std::vector<int>> children = {{1}, {2}, {3, 4}, {5}, {6}, {}, {7, 8}, {9}, {10}, {}, {}};
    ASSERT_EQ(gltf.nodes.size(), names.size());
    for (size_t n = 0; n < names.size(); ++n) {
        EXPECT_EQ(gltf.nodes[n].name, names[n]);
        EXPECT_EQ(gltf.nodes[n].children, children[n]) << names[n];
    }
    EXPECT_EQ(gltf.animations.size(), 25u);  // one a sequence of animation.cfg
    EXPECT_EQ(gltf.extensions.count("KHR_materials_variants"), 1u);

    // LEGS_IDLE plays frames 1 and 2 at 20 a second: the tag_torso node's
    // keys are the legs' tag_torso as the viewer uses it at those frames.
    const tinygltf::Animation* idle = Animation(gltf, "LEGS_IDLE");
    ASSERT_NE(idle, nullptr);
    EXPECT_EQ(Sampler(*idle, 3, "translation"), nullptr);  // the head's tag moves with the torso's sequences only
    const tinygltf::AnimationSampler* moved = Sampler(*idle, 1, "translation");
    const tinygltf::AnimationSampler* turned = Sampler(*idle, 1, "rotation");
    ASSERT_TRUE(moved && turned);
    EXPECT_EQ(Values<float>(gltf, moved->input), (std::vector<float>{0, 0.05f}));
    std::vector<float> translations = Values<float>(gltf, moved->output), rotations = Values<float>(gltf, turned->output);
    ModelObject* legs = OpenModel(folder);
    ASSERT_NE(legs, nullptr);
    for (int k = 0; k < 2; ++k) {
        legs->prevPrevFrame = legs->prevFrame = legs->currentFrame = legs->nextFrame = 1 + k;
        UpdateModelDisplayList(legs, 0.0f);
        float m[16];
        TagMatrix(legs, "tag_torso", m);  // OpenGL's axes are glTF's
        const float* q = &rotations[4 * k];
        float x = q[0], y = q[1], z = q[2], w = q[3];
        const float fromQuaternion[9] = {1 - 2 * (y * y + z * z), 2 * (x * y + z * w), 2 * (x * z - y * w),
                                         2 * (x * y - z * w), 1 - 2 * (x * x + z * z), 2 * (y * z + x * w),
                                         2 * (x * z + y * w), 2 * (y * z - x * w), 1 - 2 * (x * x + y * y)};
        for (int c = 0; c < 3; ++c) {
            EXPECT_NEAR(translations[3 * k + c], m[12 + c], 1e-5) << "frame " << 1 + k;
            for (int r = 0; r < 3; ++r)
                EXPECT_NEAR(fromQuaternion[3 * c + r], m[4 * c + r], 1e-5) << "frame " << 1 + k;
        }
    }
    // The flash shows in the torso's attacks only.
    const tinygltf::AnimationSampler* flash = Sampler(*Animation(gltf, "TORSO_ATTACK"), 10, "scale");
    ASSERT_NE(flash, nullptr);
    EXPECT_EQ(Values<float>(gltf, flash->output)[0], 1.0f);
    EXPECT_EQ(Values<float>(gltf, Sampler(*Animation(gltf, "TORSO_STAND"), 10, "scale")->output)[0], 0.0f);

    std::string skip, report = ValidatorVerdict(request.output, skip);
    if (!skip.empty())
        GTEST_SKIP() << skip;
    EXPECT_NE(report.find(": 0 errors, 0 warnings"), std::string::npos) << report;
    std::string blender = BlenderImport(request.output, skip);
    if (!skip.empty())
        GTEST_SKIP() << skip;
    EXPECT_NE(blender.find("object head MESH parent tag_head"), std::string::npos) << blender;
    EXPECT_NE(blender.find("object gun_barrel MESH parent tag_barrel"), std::string::npos) << blender;
    EXPECT_NE(blender.find("object upper MESH parent tag_torso shape keys 4"), std::string::npos) << blender;
    EXPECT_NE(blender.find("action LEGS_IDLE_tag_torso"), std::string::npos) << blender;
}

// A player lacking a part is drawn and exported alike: the parts it has,
// each hanging where the viewer hangs it.
TEST_F(ViewerTest, APlayerLackingAPartExportsAsItDraws)
{
    const struct {
        const char* missing;
        std::vector<std::string> nodes;
    } cases[] = {{"head.md3", {"lower", "tag_torso", "upper", "tag_head", "tag_weapon"}},
                 {"upper.md3", {"lower", "tag_torso", "head"}}};
    for (const auto& c : cases) {
        std::string folder = dir.Path(std::string("game/baseq3/models/players/no_") + c.missing);
        WriteTinyPlayer(dir, folder.substr(dir.path().size() + 1));
        std::filesystem::remove(folder + "/" + c.missing);
        ASSERT_NE(OpenModel(folder), nullptr) << c.missing;
        int drawn = 0;
        for (const ModelObject* model = viewer.modelList.get(); model; model = model->next.get())
            drawn += RootModel(model) == viewer.currentModel;
        ReleaseAllModels();
        ExportRequest request;
        request.output = folder + ".glb";
        std::string error;
        Assembly player;
        ASSERT_TRUE(LoadAssembly("test", folder, "", player)) << c.missing;
        ASSERT_TRUE(ExportAssembly(player, request, error)) << error;
        tinygltf::Model gltf;
        tinygltf::TinyGLTF loader;
        std::string warning;
        ASSERT_TRUE(loader.LoadBinaryFromFile(&gltf, &error, &warning, request.output)) << error;
        std::vector<std::string> nodes;
        for (const tinygltf::Node& node : gltf.nodes)
            nodes.push_back(node.name);
        EXPECT_EQ(nodes, c.nodes) << c.missing;
        EXPECT_EQ(drawn, c.missing == std::string("upper.md3") ? 1 : 2) << "the head hangs on nothing without the torso";
    }
}
