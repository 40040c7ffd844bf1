#include "support/test_files.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

TempDir::TempDir()
{
    char pattern[] = "/tmp/tarnivel-test-XXXXXX";
    path_ = mkdtemp(pattern) ? pattern : "/tmp";
}

TempDir::~TempDir()
{
    std::error_code ignored;
    if (path_.rfind("/tmp/tarnivel-test-", 0) == 0)
        fs::remove_all(path_, ignored);
}

std::string TempDir::Write(const std::string& name, const std::vector<uint8_t>& bytes) const
{
    std::string path = Path(name);
    fs::create_directories(fs::path(path).parent_path());
    writers::WriteFile(path, bytes);
    return path;
}

WorkingDirectory::WorkingDirectory(const std::string& path) : previous_(fs::current_path())
{
    fs::current_path(path);
}

WorkingDirectory::~WorkingDirectory() { fs::current_path(previous_); }

std::vector<uint8_t> ReadBytes(const std::string& path)
{
    std::string text = ReadText(path);
    return std::vector<uint8_t>(text.begin(), text.end());
}

std::string ReadText(const std::string& path)
{
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

bool FileExists(const std::string& path) { return fs::exists(path); }

int Occurrences(const std::string& text, const std::string& what)
{
    int count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

namespace {

std::vector<writers::Vertex> TinyVertices(int f)
{
    const int by[4] = {0, 40, 40, 0}, bz[4] = {0, 0, 60, 60};
    std::vector<writers::Vertex> vertices;
    for (int v = 0; v < 4; ++v)
        vertices.push_back({uint8_t(10 * v + 4 * f), uint8_t(by[v] + 8 * f), uint8_t(bz[v] + 12 * f),
                            uint8_t(v + f)});
    return vertices;
}

}  // namespace

writers::Md2Model TinyMd2(const std::vector<std::string>& frameNames)
{
    writers::Md2Model model;
    model.texCoords = {{0, 0}, {8, 0}, {8, 8}, {0, 8}};
    model.triangles = {{0, 1, 2, 0, 1, 2}, {0, 2, 3, 0, 2, 3}};
    for (size_t f = 0; f < frameNames.size(); ++f)
        model.frames.push_back({{1, 2, 4}, {10, 20, 30}, frameNames[f], TinyVertices(static_cast<int>(f))});
    model.glCommands = writers::FanCommands(model);
    return model;
}

writers::MdlModel TinyMdl(int frames, int skins)
{
    writers::MdlModel model;
    model.scale[0] = 1, model.scale[1] = 2, model.scale[2] = 4;
    model.translate[0] = 10, model.translate[1] = 20, model.translate[2] = 30;
    for (int s = 0; s < skins; ++s)
        model.skins.push_back({0, std::vector<uint8_t>(64, static_cast<uint8_t>(16 * (s + 1))), 1, {}});
    model.texCoords = {{0, 0, 0}, {0, 2, 0}, {0, 2, 6}, {1, 1, 6}};
    model.triangles = {{1, 0, 1, 2}, {0, 0, 2, 3}};
    for (int f = 0; f < frames; ++f) {
        writers::MdlFrame frame;
        frame.frame.name = "frame" + std::to_string(f + 1);
        frame.frame.vertices = TinyVertices(f);
        model.frames.push_back(frame);
    }
    return model;
}

writers::MdlModel GroupedMdl(int at, std::vector<float> intervals, int skins)
{
    writers::MdlModel model = TinyMdl(5, skins);
    writers::MdlFrame group;
    group.type = 1;
    group.intervals = intervals;
    for (int k = 0; k < 3; ++k)
        group.pictures.push_back(model.frames[at + k].frame);
    model.frames.erase(model.frames.begin() + at, model.frames.begin() + at + 3);
    model.frames.insert(model.frames.begin() + at, group);
    return model;
}

std::vector<uint8_t> TestPcx(int width, int height, bool palette256)
{
    static std::vector<uint8_t> palette;
    for (int i = static_cast<int>(palette.size()) / 3; i < 256; ++i)
        palette.insert(palette.end(), {uint8_t(255 - i), uint8_t(i), uint8_t(7)});
    writers::PcxPicture pcx;
    pcx.width = width;
    pcx.height = height;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pcx.indices.push_back(static_cast<uint8_t>((x + y) % 256));
    pcx.palette256 = palette256 ? palette.data() : nullptr;
    pcx.version = palette256 ? 5 : 3;
    return writers::WritePcx(pcx);
}

writers::Md3Surface TinySurface(const std::string& name, int frames, const std::string& shader)
{
    const int16_t by[4] = {0, 40, 40, 0}, bz[4] = {0, 0, 60, 60};
    writers::Md3Surface surface;
    surface.name = name;
    if (!shader.empty())
        surface.shaders = {shader};
    surface.triangles = {{0, 1, 2}, {0, 2, 3}};
    surface.texCoords = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (int f = 0; f < frames; ++f) {
        std::vector<writers::Md3Vertex> vertices;
        for (int v = 0; v < 4; ++v)
            vertices.push_back({int16_t(64 * (10 * v + 4 * f)), int16_t(64 * by[v]), int16_t(64 * bz[v]),
                                uint16_t(v * 257)});
        surface.frames.push_back(vertices);
    }
    return surface;
}

std::string SampleShaderScript()
{
    return
        "// a comment\nTextures\\Base\\Glow.TGA /* across\nlines */\n{\n  qer_editorimage x.tga\n"
        "  q3map_surfacelight 100\n  surfaceparm nodraw\n  cull twosided\n  sort additive\n"
        "  deformVertexes wave 100 sin 0 2 0 1\n  tessSize 64\n"
        "  { map $lightmap\n blendFunc filter }\n"
        "  { animMap 2.5 a.tga b.tga\n blendFunc GL_ONE GL_ONE_MINUS_SRC_ALPHA\n alphaFunc GE128\n depthWrite\n"
        "    rgbGen wave triangle 0.5 0.5 0 1\n alphaGen const 0.25\n tcGen vector ( 1 0 0 ) ( 0 1 0 )\n"
        "    tcMod scroll 1 -2\n tcMod rotate 30 { nested block } }\n"
        "  { clampmap \"spaced name.tga\"\n depthFunc equal\n rgbGen lightingDiffuse\n tcGen environment }\n"
        "}\nsecond { { map c.jpg } }\n";
}

writers::Md3Model FlatQuad(const std::string& shader, bool facingAway)
{
    writers::Md3Model model;
    model.frameNames = {"quad"};
    writers::Md3Surface surface;
    surface.name = "quad";
    surface.shaders = {shader};
    surface.triangles = facingAway ? std::vector<std::array<int32_t, 3>>{{0, 1, 2}, {0, 2, 3}}
                                   : std::vector<std::array<int32_t, 3>>{{0, 2, 1}, {0, 3, 2}};
    surface.texCoords = {{0, 1}, {1, 1}, {1, 0}, {0, 0}};
    const int16_t y[4] = {-20, 20, 20, -20}, z[4] = {-20, -20, 20, 20};
    std::vector<writers::Md3Vertex> vertices;
    for (int v = 0; v < 4; ++v)  // normal (1, 0, 0): latitude 0, longitude a quarter turn
        vertices.push_back({0, int16_t(64 * y[v]), int16_t(64 * z[v]), uint16_t(64)});
    surface.frames = {vertices};
    model.surfaces = {surface};
    model.tags = {{}};
    return model;
}

namespace {

writers::Md3Model PlayerPart(const std::string& surface, int frames, std::vector<const char*> tagNames)
{
    writers::Md3Model model;
    model.surfaces.push_back(TinySurface(surface, frames));
    for (int f = 0; f < frames; ++f) {
        model.frameNames.push_back("frame" + std::to_string(f));
        std::vector<writers::Md3Tag> tags;
        for (const char* tag : tagNames) {
            writers::Md3Tag t;
            t.name = tag;
            bool legs = std::string(tag) == "tag_torso";
            t.origin[2] = legs ? 10.0f + f : 8.0f;
            if (std::string(tag) == "tag_weapon")
                t.origin[0] = 5, t.origin[2] = 2;
            if (legs) {  // f quarter turns about z
                float c = f % 2 ? 0.0f : (f % 4 ? -1.0f : 1.0f), s = f % 2 ? (f % 4 == 1 ? 1.0f : -1.0f) : 0.0f;
                float axis[3][3] = {{c, s, 0}, {-s, c, 0}, {0, 0, 1}};
                memcpy(t.axis, axis, sizeof axis);
            }
            tags.push_back(t);
        }
        model.tags.push_back(tags);
    }
    return model;
}

}  // namespace

void WriteTinyPlayer(const TempDir& dir, const std::string& folder, const std::string& config)
{
    dir.Write(folder + "/lower.md3", writers::WriteMd3(PlayerPart("l_legs", 3, {"tag_torso"})));
    dir.Write(folder + "/upper.md3", writers::WriteMd3(PlayerPart("u_torso", 3, {"tag_head", "tag_weapon"})));
    dir.Write(folder + "/head.md3", writers::WriteMd3(PlayerPart("h_head", 1, {})));
    for (const char* part : {"lower", "upper", "head"})
        for (const char* set : {"default", "red"}) {
            std::string surface = std::string(part) == "lower" ? "l_legs" : std::string(part) == "upper" ? "u_torso"
                                                                                                           : "h_head";
            std::string text = "tag_torso\n" + surface + "," + folder + "/" + set + ".tga\n";
            dir.Write(folder + "/" + part + "_" + set + ".skin", std::vector<uint8_t>(text.begin(), text.end()));
        }
    std::string cfg = config;
    if (cfg.empty()) {
        cfg = "sex m\nheadoffset 0 0 0\nfootsteps boot\n";
        for (int i = 0; i < 25; ++i)  // both parts at 0; torso and legs 1 to 2, LEGS_IDLE looping both
            cfg += i < 6 ? "0 1 0 10\n" : i == 22 ? "1 2 2 20\n" : "1 2 0 10\n";
    }
    dir.Write(folder + "/animation.cfg", std::vector<uint8_t>(cfg.begin(), cfg.end()));
}

void WriteTinyWeapon(const TempDir& dir, const std::string& folder, bool tags)
{
    std::string name = folder.substr(folder.rfind('/') + 1);
    writers::Md3Model gun;
    gun.frameNames = {"gun"};
    gun.surfaces = {TinySurface("gun", 1)};
    gun.tags.resize(1);
    for (const char* tag : {"tag_barrel", "tag_flash"}) {
        writers::Md3Tag t;
        t.name = tag;
        t.origin[0] = std::string(tag) == "tag_barrel" ? 3.0f : 6.0f;
        if (tags)
            gun.tags[0].push_back(t);
    }
    dir.Write(folder + "/" + name + ".md3", writers::WriteMd3(gun));
    for (const char* part : {"barrel", "flash"}) {
        writers::Md3Model piece;
        piece.frameNames = {part};
        piece.surfaces = {TinySurface(part, 1)};
        piece.tags.resize(1);
        dir.Write(folder + "/" + name + "_" + part + ".md3", writers::WriteMd3(piece));
    }
}

writers::SkeletalModel TwoBoneArm()
{
    writers::SkeletalModel arm;
    arm.joints = {{"shoulder", -1, {}}, {"elbow", 0, {}}};
    arm.joints[1].bind.translate[0] = 10;
    writers::SkeletalMesh mesh;
    mesh.name = "arm";
    mesh.material = "arm_skin";
    const float x[3] = {0, 15, 20};
    for (int pair = 0; pair < 3; ++pair) {
        for (float y : {0.0f, 2.0f}) {
            writers::SkeletalVertex v = {{x[pair], y, 0}, {x[pair] / 20, y / 2}};
            v.joints = {0, 1, 0, 0};
            v.weights = pair == 0 ? std::array<float, 4>{1, 0, 0, 0}
                                  : pair == 1 ? std::array<float, 4>{0.6f, 0.4f, 0, 0}
                                              : std::array<float, 4>{0, 1, 0, 0};
            mesh.vertices.push_back(v);
        }
    }
    mesh.triangles = {0, 2, 1, 1, 2, 3, 2, 4, 3, 3, 4, 5};
    arm.meshes = {mesh};
    const float s = std::sqrt(0.5f);
    std::vector<writers::SkeletalPose> bind = {arm.joints[0].bind, arm.joints[1].bind}, raised = bind, waved = bind;
    raised[1].rotate[2] = s, raised[1].rotate[3] = s;
    waved[0].rotate[0] = s, waved[0].rotate[3] = s;
    arm.animations = {{"raise", 10, {bind, raised}}, {"wave", 5, {bind, waved}}};
    return arm;
}

writers::SkeletalModel OneBoneArm()
{
    writers::SkeletalModel arm = TwoBoneArm();
    for (auto& mesh : arm.meshes)
        for (auto& vertex : mesh.vertices) {
            int k = static_cast<int>(std::max_element(vertex.weights.begin(), vertex.weights.end()) -
                                     vertex.weights.begin());
            vertex.joints = {vertex.joints[k], 0, 0, 0}, vertex.weights = {1, 0, 0, 0};
        }
    return arm;
}

std::vector<uint8_t> Text(const std::string& text)
{
    return std::vector<uint8_t>(text.begin(), text.end());
}

std::vector<uint8_t> CubePalette()
{
    std::vector<uint8_t> palette;
    for (int i = 0; i < 216; ++i)
        palette.insert(palette.end(), {uint8_t(51 * (i / 36)), uint8_t(51 * (i / 6 % 6)), uint8_t(51 * (i % 6))});
    for (int i = 0; i < 8; ++i)
        palette.insert(palette.end(), 3, uint8_t(16 + 32 * i));
    for (int i = 0; i < 32; ++i)
        palette.insert(palette.end(), {uint8_t(255), uint8_t(100 + 4 * i), uint8_t(3 * i)});
    return palette;
}
