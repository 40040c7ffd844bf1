// Models written in the games' own formats: the records read back as they
// were written, the games' own models back as they were, and every limit of
// the engines kept at its edge.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "export/player_export.h"
#include "formats/iqm.h"
#include "formats/md2.h"
#include "formats/md3.h"
#include "formats/mdl.h"
#include "formats/pcx.h"
#include "rig/assembly.h"
#include "support/gl_context.h"
#include "support/gltf_fixtures.h"
#include "support/image_files.h"
#include "support/round_trip.h"
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

// A glTF of one fan of the given vertices, or a quad a material for three,
// wearing pictures of the given size.
std::vector<uint8_t> Fan(int vertices, int materials, int width = 2, int height = 2)
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
        std::vector<uint8_t> rgb(3 * width * height, 0);
        for (size_t i = m; i < rgb.size(); i += 3)
            rgb[i] = 255;  // red, green, blue
        int material =
            materials ? b.Material("m" + std::to_string(m), {1, 1, 1, 1}, EncodePng(width, height, rgb)) : -1;
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

Written Export(const std::string& model, const std::string& output, const std::string& palette = "")
{
    Written written;
    Assembly read;
    ExportSummary summary;
    ExportRequest request;
    request.output = output;
    request.palette = palette;
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

// A triangle from its first corner at its lowest vertex, winding kept.
std::array<int, 3> Turned(int a, int b, int c)
{
    if (b < a && b < c)
        return {b, c, a};
    if (c < a && c < b)
        return {c, a, b};
    return {a, b, c};
}

// The triangles an MD2's strips and fans make, as OpenGL makes them, and
// its triangle list: both turned and in order, to compare.
void Md2Triangles(const std::string& path, std::vector<std::array<int, 3>>& listed,
                  std::vector<std::array<int, 3>>& commanded)
{
    Reports reports;
    std::vector<Md2SkinName> skins;
    std::unique_ptr<FrameName[]> names;
    std::unique_ptr<Md2File> file = OpenMd2Bytes(ReadBytes(path), reports);
    if (!file || !ReadMd2Sections(*file, skins, names, reports))
        return;
    for (const Md2Triangle& t : file->triangles)
        listed.push_back(Turned(t.vertexIndex[0], t.vertexIndex[1], t.vertexIndex[2]));
    const std::vector<int32_t>& words = file->glCommands;
    for (size_t i = 0; i < words.size() && words[i] != 0;) {
        int n = std::abs(words[i]);
        bool fan = words[i++] < 0;
        std::vector<int> v;
        for (int k = 0; k < n && i + 3 * k + 2 < words.size(); ++k)
            v.push_back(words[i + 3 * k + 2]);
        i += 3 * size_t(n);
        for (size_t k = 2; k < v.size(); ++k)
            commanded.push_back(fan ? Turned(v[0], v[k - 1], v[k])
                                    : k % 2 ? Turned(v[k - 1], v[k - 2], v[k]) : Turned(v[k - 2], v[k - 1], v[k]));
    }
    std::sort(listed.begin(), listed.end());
    std::sort(commanded.begin(), commanded.end());
}

}  // namespace

TEST(GameFormats, TheGamesOwnModelsComeBackAsTheyWere)
{
    RequireGlContext();
    TempDir dir;
    writers::Md2Model md2 = TinyMd2();
    md2.skins = {"models/tiny/skin.pcx"};
    std::string skin = dir.Write("baseq2/models/tiny/skin.pcx", TestPcx(8, 8));
    std::string source = dir.Write("baseq2/models/tiny/tiny.md2", writers::WriteMd2(md2));
    std::string copy = dir.Path("out/models/tiny/tiny.md2");
    dir.Write("out/models/tiny/.keep", {});
    Written written = Export(source, copy, skin);
    ASSERT_TRUE(written.ok) << written.error;
    Assembly a, b;
    ASSERT_TRUE(LoadAssembly("test", source, "", a) && LoadAssembly("test", copy, "", b));
    EXPECT_EQ(Difference(a, b, Nearness{0, 255, true}), "");
    PcxImage before, after;
    std::vector<uint8_t> pcx[2] = {ReadBytes(skin), ReadBytes(dir.Path("out/models/tiny/tiny.pcx"))};
    ASSERT_TRUE(DecodePcx(pcx[0].data(), pcx[0].size(), before) && DecodePcx(pcx[1].data(), pcx[1].size(), after));
    EXPECT_EQ(after.indices, before.indices) << "the skin's indices kept";
    std::vector<std::array<int, 3>> listed, commanded;
    Md2Triangles(copy, listed, commanded);
    EXPECT_EQ(commanded, listed) << "the strips make the triangles, each wound as listed";
    ASSERT_EQ(listed.size(), 2u);

    // Quake's, its skin in the palette of its game: vertex 3, on the seam of
    // a front and a back triangle, one vertex again.
    dir.Write("id1/gfx/palette.lmp", CubePalette());
    writers::MdlModel mdl = TinyMdl();
    mdl.triangles.push_back({1, 3, 2, 1});
    source = dir.Write("id1/progs/tiny.mdl", writers::WriteMdl(mdl));
    copy = dir.Path("out/progs/tiny.mdl");
    dir.Write("out/progs/.keep", {});
    written = Export(source, copy);
    ASSERT_TRUE(written.ok) << written.error;
    ASSERT_TRUE(LoadAssembly("test", source, "", a) && LoadAssembly("test", copy, "", b));
    EXPECT_EQ(Difference(a, b, Nearness{0, 255, true}), "");
    Reports reports;
    std::unique_ptr<MdlFile> files[2];
    std::vector<MdlSkinPicture> skins[2];
    for (int k = 0; k < 2; ++k) {
        std::unique_ptr<FrameName[]> names;
        files[k] = OpenMdlBytes(ReadBytes(k ? copy : source), reports);
        ASSERT_TRUE(files[k] && ReadMdlSections(*files[k], skins[k], names, reports));
    }
    auto pixels = [&](int k) {
        auto start = files[k]->file.begin() + static_cast<long>(skins[k][0].offset);
        return std::vector<uint8_t>(start, start + 64);
    };
    EXPECT_EQ(pixels(1), pixels(0)) << "the skin's indices kept";
    EXPECT_EQ(files[1]->header.numVerts, 4) << "one vertex on the seam, not two";
    EXPECT_EQ(std::count_if(files[1]->texCoords.begin(), files[1]->texCoords.end(),
                            [](const MdlTexCoord& st) { return st.onSeam == 0x20; }),
              1);
}

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

    // A PCX of an odd width, a run past 63 and bytes that look like counts.
    PcxImage pcx{71, 2, std::vector<uint8_t>(71, 200), CubePalette()}, decoded;
    for (uint8_t x = 0; x < 71; ++x)
        pcx.indices.push_back(static_cast<uint8_t>(x * 7));
    std::vector<uint8_t> bytes = WritePcx(pcx);
    ASSERT_TRUE(DecodePcx(bytes.data(), bytes.size(), decoded));
    EXPECT_EQ(decoded.width, 71);
    EXPECT_EQ(decoded.indices, pcx.indices);
    EXPECT_EQ(decoded.palette, pcx.palette);
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
        int skinWidth, skinHeight;  // MD2's and MDL's; 0: not looked at
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
        {"fan2000.glb", Fan(2000, 0), "fan2000.mdl", 0, "within the limits of Quakespasm"},
        {"fan2001.glb", Fan(2001, 0), "fan2001.mdl", 0, "Quakespasm refuses it: 2001 vertices"},
        {"frames1024.md2", still(fewer), "frames1024.mdl", 0, "within the limits of Quakespasm"},
        {"frames1025.md2", still(names), "frames1025.mdl", 0, "Quakespasm refuses it: 1025 frames"},
        {"fan2048.glb", Fan(2048, 0), "fan2048.md2", 0, "within the limits of Quake 2"},
        {"fan2049.glb", Fan(2049, 0), "fan2049.md2", 0, "2049 vertices (yquake2 takes 2048)"},
        {"rows480.glb", Fan(4, 1, 4, 480), "rows480.md2", 0, "within the limits", 4, 480},
        {"rows481.glb", Fan(4, 1, 4, 481), "rows481.md2", 0, "scaled from 4 x 481 to 480 rows", 3, 480},
        {"narrow.glb", Fan(4, 1, 6, 6), "narrow.mdl", 0, "widened from 6 to a multiple of 4", 8, 6},
        {"three.glb", Fan(4, 3), "three.mdl", 0, "3 pictures packed into one skin", 4, 4},
        {"three.glb", Fan(4, 3), "three.md2", 0, "3 pictures packed into one skin", 4, 4},
    };
    std::string palette = dir.Write("palette.lmp", CubePalette());
    for (const auto& c : cases) {
        std::string model = dir.Write(c.file, c.bytes), output = dir.Path(std::string("models/out/") + c.output);
        dir.Write("models/out/.keep", {});
        Written written = Export(model, output, palette);
        EXPECT_TRUE(written.error.find(c.outcome) != std::string::npos || Noted(written, c.outcome))
            << c.file << ": " << written.error;
        EXPECT_EQ(FileExists(output), written.ok) << c.file << ": a failed write leaves no file";
        if (c.skinWidth) {
            std::vector<uint8_t> bytes = ReadBytes(output);
            bool isMdl = output.back() == 'l';
            ASSERT_GE(bytes.size(), 64u) << c.output;
            int32_t size[2];
            memcpy(size, &bytes[isMdl ? writers::mdl::kSkinWidth : writers::md2::kSkinWidth], sizeof size);
            EXPECT_EQ(size[0], c.skinWidth) << c.output;
            EXPECT_EQ(size[1], c.skinHeight) << c.output;
        }
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
