// Exports checked against what the viewer draws (feedback mode), read back
// with tinygltf, and judged by the Khronos validator and assimp.
#include <gtest/gtest.h>
#include <tiny_gltf.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "export/export_mesh.h"
#include "export/export_model.h"
#include "model/load.h"
#include "render/draw.h"
#include "scene/model_list.h"
#include "support/feedback.h"
#include "support/gl_context.h"
#include "support/gltf_read.h"
#include "support/image_files.h"
#include "support/programs.h"

namespace {

struct Fixture {
    const char* name;
    std::vector<uint8_t> bytes;
    std::vector<std::string> animations;  // sequences, then "all"
    std::vector<float> times;             // of "all"
};

writers::Md2Model Md2(bool glCommands)
{
    writers::Md2Model md2 = TinyMd2({"stand1", "stand2", "run1", "run2", "run3"});
    md2.skins = {"skin.pcx"};
    if (!glCommands)
        md2.glCommands.clear();
    return md2;
}

// The MDL: two skins, vertex 3 on the seam, frames 1 to 3 a group of pictures at their own intervals.
std::vector<Fixture> Fixtures()
{
    const std::vector<std::string> md2Animations = {"stand", "run", "all"};
    const std::vector<float> md2Times = {0, 0.1f, 0.2f, 0.3f, 0.4f};
    return {{"commands.md2", writers::WriteMd2(Md2(true)), md2Animations, md2Times},
            {"triangles.md2", writers::WriteMd2(Md2(false)), md2Animations, md2Times},
            {"groups.mdl", writers::WriteMdl(GroupedMdl(1, {0.1f, 0.25f, 0.5f}, 2)), {"frame", "all"},
             {0, 0.1f, 0.2f, 0.35f, 0.6f}}};
}

}  // namespace

TEST_F(ViewerTest, EveryFrameExportedIsTheFrameTheViewerDraws)
{
    dir.Write("skin.pcx", TestPcx(8, 8));
    for (const Fixture& fixture : Fixtures()) {
        std::string path = dir.Write(fixture.name, fixture.bytes);
        ModelObject* shown = AddModel(path.c_str());
        ASSERT_NE(shown, nullptr) << fixture.name;
        std::unique_ptr<ModelObject> read = LoadModelFile("test", path.c_str());
        ExportRequest request;
        request.output = dir.Path(std::string(fixture.name) + ".glb");
        request.scale = 1.0f;  // game units, to compare value for value
        std::string error;
        ASSERT_TRUE(ExportModel(*read, request, error)) << error;

        tinygltf::Model gltf;
        tinygltf::TinyGLTF loader;
        std::string warning;
        ASSERT_TRUE(loader.LoadBinaryFromFile(&gltf, &error, &warning, request.output)) << error;
        const tinygltf::Primitive& primitive = gltf.meshes[0].primitives[0];
        std::vector<float> base = Values<float>(gltf, primitive.attributes.at("POSITION"));
        std::vector<uint32_t> indices = Values<uint32_t>(gltf, primitive.indices);
        ASSERT_EQ(primitive.targets.size(), static_cast<size_t>(shown->numFrames)) << fixture.name;
        const tinygltf::Value& names = gltf.meshes[0].extras.Get("targetNames");
        for (int frame = 0; frame < shown->numFrames; ++frame) {
            EXPECT_EQ(names.Get(frame).Get<std::string>(), shown->frameNames[frame].text);
            std::vector<float> moved = Values<float>(gltf, primitive.targets[frame].at("POSITION"));
            shown->prevPrevFrame = shown->prevFrame = shown->currentFrame = shown->nextFrame = frame;
            UpdateModelDisplayList(shown, 0.0f);
            std::vector<FeedbackPolygon> sent = CaptureList(shown->displayList);
            ASSERT_EQ(sent.size() * 3, indices.size()) << fixture.name;
            // Front faces turn from the viewer's clockwise to glTF's counter-clockwise.
            const int corner[3] = {0, 2, 1};
            for (size_t t = 0; t < sent.size(); ++t)
                for (int c = 0; c < 3; ++c)
                    for (int a = 0; a < 3; ++a) {
                        size_t v = indices[3 * t + corner[c]];
                        EXPECT_NEAR(base[3 * v + a] + moved[3 * v + a], sent[t][c].position[a], 1e-4)
                            << fixture.name << " frame " << frame << " triangle " << t;
                    }
        }
        ASSERT_EQ(gltf.animations.size(), fixture.animations.size()) << fixture.name;
        for (size_t i = 0; i < gltf.animations.size(); ++i)
            EXPECT_EQ(gltf.animations[i].name, fixture.animations[i]);
        std::vector<float> times = Values<float>(gltf, gltf.animations.back().samplers[0].input);
        ASSERT_EQ(times.size(), fixture.times.size());
        for (size_t k = 0; k < times.size(); ++k)
            EXPECT_NEAR(times[k], fixture.times[k], 1e-6) << fixture.name << " key " << k;
        EXPECT_EQ(gltf.materials.size(), static_cast<size_t>(std::max(1, read->numSkins)));
        RemoveModel();
    }
}

// The validator and a second reader on every format, and an OBJ read back.
TEST_F(ViewerTest, ExportsAreValidGltfAndOtherReadersReadThem)
{
    if (!FileExists(TARNIVEL_NODE_MODULES "/gltf-validator/package.json") || Occurrences(RunCommand("command -v node; command -v assimp"), "\n") != 2)
        GTEST_SKIP() << "no node, gltf-validator or assimp here (tests/export/fetch-validator.sh fetches them)";
    dir.Write("skin.pcx", TestPcx(8, 8));
    std::string files;
    for (const Fixture& fixture : Fixtures()) {
        std::string path = dir.Write(fixture.name, fixture.bytes);
        std::unique_ptr<ModelObject> model = LoadModelFile("test", path.c_str());
        ASSERT_NE(model, nullptr);
        for (const char* extension : {".glb", ".gltf", ".obj"}) {
            ExportRequest request;
            request.output = path + extension;
            request.frame = "2";
            std::string error;
            ASSERT_TRUE(ExportModel(*model, request, error)) << error;
            // assimp reads an OBJ corner by corner, glTF vertex by vertex.
            ExportMesh mesh;
            ASSERT_TRUE(MakeExportMesh(*model, 2, 2, request.scale, mesh, error));
            bool obj = strcmp(extension, ".obj") == 0;
            size_t triangles = mesh.parts[0].indices.size() / 3,
                   vertices = obj ? 3 * triangles : mesh.parts[0].layout->frameVertex.size();
            char expected[96];
            snprintf(expected, sizeof expected, "Vertices:           %zu\nFaces:              %zu\n", vertices, triangles);
            EXPECT_EQ(RunCommand("assimp info '" + request.output + "' -r 2>/dev/null | grep -E '^(Vertices|Faces):'"),
                      expected) << request.output;
            if (!obj) {
                files += " '" + request.output + "'";
                continue;
            }
            std::vector<float> positions, normals, read;
            ExportFrame(*model, mesh, 0, 2, positions, normals);
            std::istringstream lines(ReadText(request.output));
            for (std::string line; std::getline(lines, line);)
                if (float x, y, z; sscanf(line.c_str(), "v %f %f %f", &x, &y, &z) == 3)
                    read.insert(read.end(), {x, y, z});
            ASSERT_EQ(read.size(), positions.size());
            for (size_t i = 0; i < read.size(); ++i)
                EXPECT_NEAR(read[i], positions[i], 1e-5 * std::max(1.0f, std::fabs(positions[i])));
        }
    }
    std::string report = RunCommand("NODE_PATH='" TARNIVEL_NODE_MODULES "' node " TARNIVEL_SOURCE
                               "/tests/export/validate-gltf.js" + files + " 2>&1; echo status $?");
    EXPECT_EQ(Occurrences(report, ": 0 errors, 0 warnings"), 6) << report;
    EXPECT_NE(report.find("status 0"), std::string::npos) << report;
}

// A surface's material comes from its shader's first stage that adds no light.
TEST(ShaderExport, MaterialsFollowTheShadersStages)
{
    TempDir dir;
    std::vector<uint8_t> rgb(64 * 3, 100), alpha(64, 255);
    dir.Write("game/baseq3/textures/a.tga", EncodeTga(8, 8, rgb, 32, false, alpha));
    const std::string script =
        "masked { cull none\n{ map textures/a.tga\nalphaFunc GE128 } }\n"
        "blended { { map textures/a.tga\nblendFunc blend } }\n"
        "glow { { map textures/a.tga\nblendFunc add }\n{ map textures/a.tga\nblendFunc add } }\n"
        "scaled { { map textures/a.tga\ntcMod scale 2 3\ntcMod transform 1 0 0 1 0.5 0 } }\n"
        "scrolled { { map textures/a.tga\ntcMod scroll 1 0 } }\n";
    dir.Write("game/baseq3/scripts/t.shader", std::vector<uint8_t>(script.begin(), script.end()));
    writers::Md3Model md3 = FlatQuad("masked");
    for (const char* name : {"blended", "glow", "scaled", "scrolled"})
        md3.surfaces.push_back(FlatQuad(name).surfaces[0]);
    std::string path = dir.Write("game/baseq3/models/m.md3", writers::WriteMd3(md3));
    std::unique_ptr<ModelObject> model = LoadModelFile("test", path.c_str());
    ASSERT_NE(model, nullptr);
    ExportRequest request;
    request.output = dir.Path("m.glb");
    std::string error;
    ASSERT_TRUE(ExportModel(*model, request, error)) << error;
    tinygltf::Model gltf;
    tinygltf::TinyGLTF loader;
    std::string warning;
    ASSERT_TRUE(loader.LoadBinaryFromFile(&gltf, &error, &warning, request.output)) << error;
    auto material = [&](int part) -> const tinygltf::Material& {
        return gltf.materials[gltf.meshes[0].primitives[part].material];
    };
    EXPECT_EQ(material(0).name, "masked");
    EXPECT_EQ(material(0).alphaMode, "MASK");
    EXPECT_EQ(material(0).alphaCutoff, 0.5);
    EXPECT_TRUE(material(0).doubleSided);
    EXPECT_EQ(material(1).alphaMode, "BLEND");
    EXPECT_FALSE(material(1).doubleSided);
    EXPECT_GE(material(2).emissiveTexture.index, 0);
    EXPECT_EQ(material(2).pbrMetallicRoughness.baseColorTexture.index, -1);
    const tinygltf::Value& transform =
        material(3).pbrMetallicRoughness.baseColorTexture.extensions.at("KHR_texture_transform");
    EXPECT_EQ(transform.Get("scale").Get(1).GetNumberAsDouble(), 3.0);
    EXPECT_EQ(transform.Get("offset").Get(0).GetNumberAsDouble(), 0.5);
    EXPECT_TRUE(material(4).pbrMetallicRoughness.baseColorTexture.extensions.empty());  // it moves with time
    if (!FileExists(TARNIVEL_NODE_MODULES "/gltf-validator/package.json"))
        GTEST_SKIP() << "no gltf-validator here (tests/export/fetch-validator.sh fetches it)";
    std::string report = RunCommand("NODE_PATH='" TARNIVEL_NODE_MODULES "' node " TARNIVEL_SOURCE
                                    "/tests/export/validate-gltf.js '" + request.output + "' 2>&1");
    EXPECT_NE(report.find(": 0 errors, 0 warnings"), std::string::npos) << report;
}

// A model of one frame is a still: no animation (Blender makes no action of
// it); and a sequence is named without the "_" before its frame numbers.
TEST_F(ViewerTest, AStillHasNoAnimationAndASequenceNameNoBareUnderscore)
{
    const struct {
        std::vector<std::string> frames;
        std::vector<std::string> animations;
    } cases[] = {{{"frame_"}, {}}, {{"idle_1", "idle_2", "run 1", "run 2"}, {"idle", "run", "all"}}};
    for (const auto& c : cases) {
        std::string path = dir.Write("still.md2", writers::WriteMd2(TinyMd2(c.frames)));
        std::unique_ptr<ModelObject> model = LoadModelFile("test", path.c_str());
        ASSERT_NE(model, nullptr);
        ExportRequest request;
        request.output = dir.Path("still.glb");
        std::string error;
        ASSERT_TRUE(ExportModel(*model, request, error)) << error;
        tinygltf::Model gltf;
        tinygltf::TinyGLTF loader;
        std::string warning;
        ASSERT_TRUE(loader.LoadBinaryFromFile(&gltf, &error, &warning, request.output)) << error;
        std::vector<std::string> names;
        for (const tinygltf::Animation& animation : gltf.animations)
            names.push_back(animation.name);
        EXPECT_EQ(names, c.animations);
        if (!c.animations.empty())
            continue;
        std::string skip, blender = BlenderImport(request.output, skip);
        if (!skip.empty())
            GTEST_SKIP() << skip;
        EXPECT_NE(blender.find("object still.md2 MESH"), std::string::npos) << blender;
        EXPECT_EQ(blender.find("action "), std::string::npos) << blender;
    }
}
