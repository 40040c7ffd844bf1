// Models written in the games' own formats: the records read back as they
// were written, and every limit of the engines kept at its edge.
#include <gtest/gtest.h>

#include <cmath>

#include "export/player_export.h"
#include "formats/iqm.h"
#include "formats/md3.h"
#include "rig/assembly.h"
#include "support/gl_context.h"
#include "support/gltf_fixtures.h"
#include "support/image_files.h"
#include "support/test_files.h"

namespace {

Md3File SmallMd3()
{
    Md3File file;
    file.name = "small.md3";
    file.frames = {{{-1, -2, -3}, {4, 5, 6}, {0, 0, 0}, 9, "stand1"}, {{0, 0, 0}, {1, 1, 1}, {0, 0, 0}, 2, "stand2"}};
    file.numTags = 1;
    for (float x : {1.0f, 2.0f})
        file.tags.push_back({"tag_weapon", {x, 0, 3}, {{0, 1, 0}, {-1, 0, 0}, {0, 0, 1}}});
    Md3Surface surface;
    surface.name = "body";
    surface.shaders = {"models/small/body.png"};
    surface.triangles = {0, 1, 2};
    surface.texCoords = {0, 0, 1, 0, 0, 1};
    surface.numVertices = 3;
    for (int16_t v = 0; v < 6; ++v)
        surface.vertices.push_back({v, static_cast<int16_t>(-v), static_cast<int16_t>(64 * v), uint16_t(v * 257)});
    file.surfaces = {surface, surface};
    file.surfaces[1].name = "head";
    return file;
}

IqmFile SmallIqm()
{
    IqmFile file;
    file.joints = {{"root", -1, {0, 0, 0}, {0, 0, 0, 1}, {1, 1, 1}}, {"hand", 0, {10, 0, 0}, {0, 0, 0, 1}, {1, 1, 1}}};
    file.poses = {{-1, 0, {}, {}}, {0, 0, {}, {}}};
    file.frameCount = 2;
    for (int frame = 0; frame < 2; ++frame)
        for (int joint = 0; joint < 2; ++joint)
            file.frames.insert(file.frames.end(), {10.0f * joint, 0, frame * 2.5f, 0, 0, 0.6f * frame, 1, 1, 1, 1});
    file.animations = {{"wave", 0, 2, 15, true}};
    file.meshes = {{"arm", "models/small/arm.png", 0, 3, 0, 1}};
    file.vertexCount = 3;
    file.positions = {0, 0, 0, 10, 0, 0, 0, 5, 0};
    file.texCoords = {0, 0, 1, 0, 0, 1};
    file.normals = {0, 0, 1, 0, 0, 1, 0, 0, 1};
    file.blendIndexes = {0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0};
    file.blendWeights = {0.6f, 0.4f, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};
    file.triangles = {0, 1, 2};
    file.bounds = {0, 0, 0, 10, 5, 0, 10, 10, 0, 0, 2.5f, 10, 5, 2.5f, 10, 10};
    QuantizeIqmFrames(file);
    return file;
}

// A glTF of one fan of the given vertices, or a quad a material for three.
std::vector<uint8_t> Fan(int vertices, int materials)
{
    writers::GltfBuilder b;
    std::vector<tinygltf::Primitive> primitives;
    for (int m = 0; m < std::max(materials, 1); ++m) {
        std::vector<float> positions;
        std::vector<uint32_t> indices;
        for (int v = 0; v < vertices; ++v) {
            float angle = 6.28f * v / vertices;
            positions.insert(positions.end(), {std::cos(angle), std::sin(angle), 0.1f * m});
            if (v >= 2)
                indices.insert(indices.end(), {0u, uint32_t(v - 1), uint32_t(v)});
        }
        std::vector<float> st(2 * vertices, 0.5f);
        std::vector<uint8_t> rgb(12, 0);
        for (size_t i = m; i < rgb.size(); i += 3)
            rgb[i] = 255;  // red, green, blue
        int material = materials ? b.Material("m" + std::to_string(m), {1, 1, 1, 1}, EncodePng(2, 2, rgb)) : -1;
        primitives.push_back(b.Triangles(positions, indices, st, material));
    }
    b.Node("fan", b.Mesh("fan", primitives));
    return b.Glb();
}

struct Written {
    bool ok = false;
    std::string error;
    std::vector<std::string> notes;
};

Written Export(const std::string& model, const std::string& output)
{
    Written written;
    Assembly read;
    ExportSummary summary;
    ExportRequest request;
    request.output = output;
    request.summary = &summary;
    ErrorCapture quiet;
    written.ok = LoadAssembly("test", model, "", read) && ExportAssembly(read, request, written.error);
    written.notes = summary.notes;
    return written;
}

bool Noted(const Written& written, const std::string& what)
{
    for (const std::string& note : written.notes)
        if (note.find(what) != std::string::npos)
            return true;
    return false;
}

}  // namespace

TEST(GameFormats, RecordsReadBackAsTheyWereWritten)
{
    Md3File md3 = SmallMd3();
    Reports reports;
    std::unique_ptr<Md3File> read = ReadMd3(WriteMd3(md3), reports);
    ASSERT_NE(read, nullptr) << (reports.empty() ? "" : reports[0]);
    EXPECT_EQ(read->name, md3.name);
    ASSERT_EQ(read->frames.size(), 2u);
    EXPECT_EQ(read->frames[1].name, "stand2");
    EXPECT_EQ(read->frames[0].radius, 9);
    ASSERT_EQ(read->tags.size(), 2u);
    EXPECT_EQ(read->tags[1].origin[0], 2);
    EXPECT_EQ(read->tags[1].axis[1][0], -1);
    ASSERT_EQ(read->surfaces.size(), 2u);
    EXPECT_EQ(read->surfaces[1].name, "head");
    EXPECT_EQ(read->surfaces[0].shaders, md3.surfaces[0].shaders);
    EXPECT_EQ(read->surfaces[0].triangles, md3.surfaces[0].triangles);
    EXPECT_EQ(read->surfaces[0].texCoords, md3.surfaces[0].texCoords);
    for (size_t v = 0; v < 6; ++v) {
        const Md3Vertex &a = read->surfaces[0].vertices[v], &b = md3.surfaces[0].vertices[v];
        EXPECT_TRUE(a.x == b.x && a.y == b.y && a.z == b.z && a.normal == b.normal) << v;
    }

    IqmFile iqm = SmallIqm();
    std::unique_ptr<IqmFile> back = ReadIqm(WriteIqm(iqm), reports);
    ASSERT_NE(back, nullptr) << (reports.empty() ? "" : reports.back());
    ASSERT_EQ(back->joints.size(), 2u);
    EXPECT_EQ(back->joints[1].name, "hand");
    EXPECT_EQ(back->joints[1].translate[0], 10);
    ASSERT_EQ(back->animations.size(), 1u);
    EXPECT_EQ(back->animations[0].name, "wave");
    EXPECT_TRUE(back->animations[0].loop);
    EXPECT_EQ(back->animations[0].framerate, 15);
    ASSERT_EQ(back->frames.size(), iqm.frames.size());
    for (size_t i = 0; i < iqm.frames.size(); ++i)
        EXPECT_NEAR(back->frames[i], iqm.frames[i], 1e-5) << i;
    EXPECT_EQ(back->positions, iqm.positions);
    EXPECT_EQ(back->meshes[0].material, "models/small/arm.png");
    EXPECT_EQ(back->blendIndexes, iqm.blendIndexes);
    EXPECT_NEAR(back->blendWeights[0], 0.6f, 0.5f / 255) << "weights as bytes summing to 255";
    EXPECT_EQ(back->blendWeights[0] + back->blendWeights[1], 1.0f);
    EXPECT_EQ(back->bounds, iqm.bounds);
}

TEST(GameFormats, EveryLimitIsKeptAtItsEdge)
{
    TempDir dir;
    writers::Md2Model far = TinyMd2({"stand1"});
    far.frames[0].scale[2] = 3;  // the top corners at 30 + 3 * 60 * ... past 512
    for (auto& v : far.frames[0].vertices)
        v.z = 255;
    std::vector<std::string> names(1025);
    for (size_t f = 0; f < names.size(); ++f)
        names[f] = "run" + std::to_string(f + 1);
    std::vector<std::string> fewer(names.begin(), names.begin() + 1024);
    auto still = [](const std::vector<std::string>& frames) {  // every frame the first's
        writers::Md2Model md2 = TinyMd2(frames);
        for (writers::Frame& frame : md2.frames)
            frame.vertices = md2.frames[0].vertices, std::copy(md2.frames[0].translate, md2.frames[0].translate + 3,
                                                                frame.translate);
        return writers::WriteMd2(md2);
    };
    writers::SkeletalModel joints128 = TwoBoneArm(), joints129 = TwoBoneArm();
    for (int j = 2; j < 128; ++j)
        joints128.joints.push_back({"j" + std::to_string(j), j - 1, {}});
    joints129.joints = joints128.joints;
    joints129.joints.push_back({"j128", 127, {}});
    for (writers::SkeletalModel* model : {&joints128, &joints129})
        for (auto& animation : model->animations)
            for (auto& frame : animation.frames)
                frame.resize(model->joints.size());
    const struct {
        const char* file;
        std::vector<uint8_t> bytes;
        const char* output;
        size_t surfaces;      // 0: none looked at
        const char* outcome;  // an error or a note the write gives
    } cases[] = {
        {"fan999.glb", Fan(999, 0), "fan999.md3", 1, "within the limits of ioquake3"},
        {"fan1000.glb", Fan(1000, 0), "fan1000.md3", 2, "1 surfaces split"},
        {"fan5000.glb", Fan(5000, 0), "fan5000.md3", 6, "1 surfaces split"},
        {"three.glb", Fan(4, 3), "three.md3", 3, "within the limits"},
        {"frames1024.md2", still(fewer), "frames1024.md3", 1, "within the limits"},
        {"frames1025.md2", still(names), "frames1025.md3", 0, "MD3 holds 1024"},
        {"far.md2", writers::WriteMd2(far), "far.md3", 0, "MD3 holds up to 512: --scale 0."},
        {"joints128.iqm", writers::WriteIqm(joints128), "joints128.iqm", 0, "within the limits of ioquake3 and"},
        {"joints129.iqm", writers::WriteIqm(joints129), "joints129.iqm", 0, "ioquake3 refuses it for its 129 joints"},
        {"tiny.md2", writers::WriteMd2(TinyMd2()), "tiny.iqm", 0, "IQM carries joints, not vertex frames"},
    };
    for (const auto& c : cases) {
        std::string model = dir.Write(c.file, c.bytes), output = dir.Path(std::string("models/out/") + c.output);
        dir.Write("models/out/.keep", {});
        Written written = Export(model, output);
        EXPECT_TRUE(written.error.find(c.outcome) != std::string::npos || Noted(written, c.outcome))
            << c.file << ": " << written.error;
        EXPECT_EQ(FileExists(output), written.ok) << c.file << ": a failed write leaves no file";
        if (!c.surfaces)
            continue;
        Reports reports;
        std::unique_ptr<Md3File> md3 = ReadMd3(ReadBytes(output), reports);
        ASSERT_NE(md3, nullptr) << c.file;
        EXPECT_EQ(md3->surfaces.size(), c.surfaces) << c.file;
        for (const Md3Surface& surface : md3->surfaces) {
            EXPECT_LT(surface.numVertices, 1000) << c.file;
            EXPECT_LT(surface.triangles.size() / 3, 2000u) << c.file;
        }
        if (std::string(c.file) == "three.glb")
            for (size_t s = 0; s < 3; ++s) {
                std::string picture = s ? "three_" + std::to_string(s + 1) + ".png" : "three.png";
                EXPECT_EQ(md3->surfaces[s].shaders, std::vector<std::string>{"models/out/" + picture});
                EXPECT_TRUE(FileExists(dir.Path("models/out/" + picture))) << picture;
            }
    }
}
