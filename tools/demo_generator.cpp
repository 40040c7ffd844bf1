// tarnivel-demo: writes the ready demo folder: two palettes of the project's
// own, an animated MD2 with a PCX skin, a Quake 2 player folder and an MDL
// with two skins. No game data is used.
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "formats/vertex_normals.h"
#include "model_writers.h"

namespace {

using writers::Vertex;

constexpr double kPi = 3.14159265358979323846;

struct Vec {
    double x, y, z;
};

Vec operator+(Vec a, Vec b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec operator*(Vec a, double s) { return {a.x * s, a.y * s, a.z * s}; }

// A point and its outward normal, in the file's axes (z up, +x facing front).
struct SurfacePoint {
    Vec position;
    Vec normal;
};

uint8_t NearestNormal(Vec n)
{
    double length = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
    int best = 0;
    double bestDot = -2;
    for (int i = 0; i < kNumVertexNormals; ++i) {
        const float* t = vertexNormalTable[i];
        double dot = (t[0] * n.x + t[1] * n.y + t[2] * n.z) / (length > 0 ? length : 1);
        if (dot > bestDot)
            bestDot = dot, best = i;
    }
    return static_cast<uint8_t>(best);
}

// An ellipsoid grid: rings from the top pole to the bottom one.
struct Part {
    int rings, segments;
    int firstVertex;     // where its vertices start in the mesh
    int firstTexCoord;   // where its texture coordinates start
    double t0, t1;       // skin rows it covers, as fractions of the height
};

struct Mesh {
    std::vector<Part> parts;
    int vertexCount = 0;
    std::vector<std::array<int16_t, 2>> texCoords;
    std::vector<std::array<int16_t, 6>> triangles;
};

int VertexIndex(const Part& p, int ring, int segment)
{
    if (ring == 0)
        return p.firstVertex;
    if (ring == p.rings)
        return p.firstVertex + 1 + (p.rings - 1) * p.segments;
    return p.firstVertex + 1 + (ring - 1) * p.segments + segment % p.segments;
}

int TexIndex(const Part& p, int ring, int segment)
{
    return p.firstTexCoord + ring * (p.segments + 1) + segment;
}

void AddPart(Mesh& mesh, int rings, int segments, double t0, double t1, int skinWidth, int skinHeight)
{
    Part p{rings, segments, mesh.vertexCount, static_cast<int>(mesh.texCoords.size()), t0, t1};
    mesh.vertexCount += 2 + (rings - 1) * segments;
    for (int r = 0; r <= rings; ++r)
        for (int s = 0; s <= segments; ++s)
            mesh.texCoords.push_back({static_cast<int16_t>(s * (skinWidth - 1) / segments),
                                      static_cast<int16_t>((t0 + (t1 - t0) * r / rings) * (skinHeight - 1))});
    // Clockwise seen from outside: (here, along the ring, down to the next ring).
    for (int r = 0; r < rings; ++r) {
        for (int s = 0; s < segments; ++s) {
            int a = VertexIndex(p, r, s), b = VertexIndex(p, r, s + 1);
            int c = VertexIndex(p, r + 1, s), d = VertexIndex(p, r + 1, s + 1);
            int ta = TexIndex(p, r, s), tb = TexIndex(p, r, s + 1);
            int tc = TexIndex(p, r + 1, s), td = TexIndex(p, r + 1, s + 1);
            if (r > 0)
                mesh.triangles.push_back({int16_t(a), int16_t(b), int16_t(c), int16_t(ta), int16_t(tb), int16_t(tc)});
            if (r < rings - 1)
                mesh.triangles.push_back({int16_t(b), int16_t(d), int16_t(c), int16_t(tb), int16_t(td), int16_t(tc)});
        }
    }
    mesh.parts.push_back(p);
}

// Points of an ellipsoid part, centred, with radii, turned about the x axis
// by tilt radians around a pivot.
struct Ellipsoid {
    Vec centre, radii;
    double tilt = 0;
    Vec pivot{0, 0, 0};
};

Vec TiltAboutX(Vec v, double angle)
{
    double c = std::cos(angle), s = std::sin(angle);
    return {v.x, c * v.y - s * v.z, s * v.y + c * v.z};
}

SurfacePoint PointOn(const Ellipsoid& e, double theta, double phi)
{
    Vec unit{std::sin(theta) * std::cos(phi), std::sin(theta) * std::sin(phi), std::cos(theta)};
    Vec local{unit.x * e.radii.x, unit.y * e.radii.y, unit.z * e.radii.z};
    Vec normal{unit.x / e.radii.x, unit.y / e.radii.y, unit.z / e.radii.z};
    Vec offset = e.centre + local * 1.0;
    Vec fromPivot{offset.x - e.pivot.x, offset.y - e.pivot.y, offset.z - e.pivot.z};
    Vec turned = TiltAboutX(fromPivot, e.tilt) + e.pivot;
    return {turned, TiltAboutX(normal, e.tilt)};
}

void PlacePart(const Part& p, const Ellipsoid& e, std::vector<SurfacePoint>& points)
{
    points[p.firstVertex] = PointOn(e, 0, 0);
    for (int r = 1; r < p.rings; ++r)
        for (int s = 0; s < p.segments; ++s)
            points[VertexIndex(p, r, s)] = PointOn(e, kPi * r / p.rings, 2 * kPi * s / p.segments);
    points[VertexIndex(p, p.rings, 0)] = PointOn(e, kPi, 0);
}

// Packs one frame: its own scale and translate from its bounding box.
writers::Frame PackFrame(const std::string& name, const std::vector<SurfacePoint>& points)
{
    Vec lo{1e9, 1e9, 1e9}, hi{-1e9, -1e9, -1e9};
    for (const SurfacePoint& p : points) {
        lo = {std::min(lo.x, p.position.x), std::min(lo.y, p.position.y), std::min(lo.z, p.position.z)};
        hi = {std::max(hi.x, p.position.x), std::max(hi.y, p.position.y), std::max(hi.z, p.position.z)};
    }
    writers::Frame frame;
    frame.name = name;
    double size[3] = {hi.x - lo.x, hi.y - lo.y, hi.z - lo.z};
    double low[3] = {lo.x, lo.y, lo.z};
    for (int a = 0; a < 3; ++a) {
        frame.scale[a] = static_cast<float>(size[a] > 0 ? size[a] / 255.0 : 1.0);
        frame.translate[a] = static_cast<float>(low[a]);
    }
    for (const SurfacePoint& p : points) {
        double v[3] = {p.position.x, p.position.y, p.position.z};
        uint8_t q[3];
        for (int a = 0; a < 3; ++a)
            q[a] = static_cast<uint8_t>(std::lround((v[a] - frame.translate[a]) / frame.scale[a]));
        frame.vertices.push_back(Vertex{q[0], q[1], q[2], NearestNormal(p.normal)});
    }
    return frame;
}

std::vector<uint8_t> HuePalette(int hues, int levels, double saturation)
{
    std::vector<uint8_t> palette;
    for (int h = 0; h < hues; ++h) {
        for (int l = 0; l < levels; ++l) {
            double value = (l + 1.0) / levels, hue = 6.0 * h / hues;
            double channel[3];
            for (int c = 0; c < 3; ++c) {
                double k = std::fmod(hue + (c == 0 ? 5 : c == 1 ? 3 : 1), 6.0);
                double f = std::max(0.0, std::min({k, 4 - k, 1.0}));
                channel[c] = value * (1 - saturation * f);
            }
            for (double c : channel)
                palette.push_back(static_cast<uint8_t>(std::lround(255 * c)));
        }
    }
    palette.resize(768, 0);
    return palette;
}

// Stripes and checks from a few palette ramps (16 levels a hue).
std::vector<uint8_t> PatternSkin(int width, int height, int hueA, int hueB)
{
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            bool check = ((x / 8) + (y / 8)) % 2 == 0;
            int hue = (y * 4 / height) % 2 == 0 ? hueA : hueB;
            int level = check ? 13 : 8 + (x * 5 / width);
            pixels[static_cast<size_t>(y) * width + x] = static_cast<uint8_t>(hue * 16 + level);
        }
    }
    return pixels;
}

struct Figure {
    Mesh mesh;
    int body, head, arm;
};

Figure FigureMesh(int skinWidth, int skinHeight)
{
    Figure f;
    AddPart(f.mesh, 10, 14, 0.0, 0.5, skinWidth, skinHeight);
    AddPart(f.mesh, 8, 12, 0.5, 0.75, skinWidth, skinHeight);
    AddPart(f.mesh, 6, 8, 0.75, 1.0, skinWidth, skinHeight);
    f.body = 0, f.head = 1, f.arm = 2;
    return f;
}

// The figure stands at y = side: arm at its right side, waving when raise > 0.
std::vector<SurfacePoint> FigurePose(const Figure& f, double side, double breathe, double raise)
{
    std::vector<SurfacePoint> points(f.mesh.vertexCount);
    PlacePart(f.mesh.parts[f.body], {{0, side, -8}, {11, 13, 20 * breathe}}, points);
    PlacePart(f.mesh.parts[f.head], {{1, side, 20 + 2 * breathe}, {8, 8, 9}}, points);
    Ellipsoid arm{{0, side - 16, -2}, {4, 4, 13}};
    arm.pivot = {0, side - 16, 10};
    arm.tilt = raise;
    PlacePart(f.mesh.parts[f.arm], arm, points);
    return points;
}

writers::Md2Model FigureModel(double side, const std::string& skinName)
{
    writers::Md2Model model;
    model.skinWidth = 128;
    model.skinHeight = 128;
    model.skins = {skinName};
    Figure f = FigureMesh(model.skinWidth, model.skinHeight);
    model.texCoords = f.mesh.texCoords;
    model.triangles = f.mesh.triangles;
    for (int i = 1; i <= 8; ++i)
        model.frames.push_back(PackFrame("idle" + std::to_string(i),
                                         FigurePose(f, side, 1.0 + 0.04 * std::sin(2 * kPi * i / 8), 0.1)));
    for (int i = 1; i <= 12; ++i) {
        double swing = std::sin(2 * kPi * i / 12);
        model.frames.push_back(PackFrame("wave" + std::to_string(i), FigurePose(f, side, 1.0, -2.2 - 0.5 * swing)));
    }
    model.glCommands = writers::FanCommands(model);
    return model;
}

writers::Md2Model WeaponModel(double side)
{
    writers::Md2Model model;
    model.skinWidth = 32;
    model.skinHeight = 32;
    model.skins = {"weapon.pcx"};
    Mesh mesh;
    AddPart(mesh, 6, 8, 0.0, 1.0, model.skinWidth, model.skinHeight);
    model.texCoords = mesh.texCoords;
    model.triangles = mesh.triangles;
    for (int i = 1; i <= 8; ++i) {
        std::vector<SurfacePoint> points(mesh.vertexCount);
        double recoil = 1.5 * std::sin(2 * kPi * i / 8);
        PlacePart(mesh.parts[0], {{10 + recoil, side - 20, -12}, {12, 2.5, 2.5}}, points);
        model.frames.push_back(PackFrame("idle" + std::to_string(i), points));
    }
    model.glCommands = writers::FanCommands(model);
    return model;
}

// A fish-like creature: its skin's left half is the front, the right half the back.
writers::MdlModel CreatureModel(double side)
{
    writers::MdlModel model;
    model.skinWidth = 64;
    model.skinHeight = 32;
    const int rings = 8, segments = 12;
    Mesh mesh;
    AddPart(mesh, rings, segments, 0.0, 1.0, model.skinWidth, model.skinHeight);
    const Part& p = mesh.parts[0];
    std::vector<SurfacePoint> rest(mesh.vertexCount);
    PlacePart(p, Ellipsoid{{0, side, 0}, {20, 8, 10}}, rest);
    std::vector<std::vector<SurfacePoint>> poses;
    for (int i = 1; i <= 6; ++i) {
        std::vector<SurfacePoint> points = rest;
        double sway = 6 * std::sin(2 * kPi * i / 6);
        for (SurfacePoint& point : points)
            if (point.position.x < -8)
                point.position.y += sway * (-8 - point.position.x) / 12;
        poses.push_back(points);
    }
    Vec lo{1e9, 1e9, 1e9}, hi{-1e9, -1e9, -1e9};
    for (const auto& pose : poses)
        for (const SurfacePoint& pt : pose) {
            lo = {std::min(lo.x, pt.position.x), std::min(lo.y, pt.position.y), std::min(lo.z, pt.position.z)};
            hi = {std::max(hi.x, pt.position.x), std::max(hi.y, pt.position.y), std::max(hi.z, pt.position.z)};
        }
    double low[3] = {lo.x, lo.y, lo.z}, high[3] = {hi.x, hi.y, hi.z};
    for (int a = 0; a < 3; ++a) {
        model.scale[a] = static_cast<float>((high[a] - low[a]) / 255.0);
        model.translate[a] = static_cast<float>(low[a]);
    }
    int half = model.skinWidth / 2;
    for (int v = 0; v < mesh.vertexCount; ++v) {
        const Vec& pos = rest[v].position;
        double side01 = pos.y - side;
        int s = static_cast<int>((pos.x - lo.x) / (hi.x - lo.x) * (half - 1));
        int t = static_cast<int>((hi.z - pos.z) / (hi.z - lo.z) * (model.skinHeight - 1));
        bool seam = std::fabs(side01) < 1e-6;
        model.texCoords.push_back({seam ? 1 : 0, side01 > 1e-6 ? s + half : s, t});
    }
    for (const auto& tri : mesh.triangles) {
        double y = 0;
        for (int k = 0; k < 3; ++k)
            y += rest[tri[k]].position.y - side;
        model.triangles.push_back({y < 0 ? 1 : 0, tri[0], tri[1], tri[2]});
    }
    for (int i = 0; i < 6; ++i) {
        writers::MdlFrame frame;
        frame.frame.name = "swim" + std::to_string(i + 1);
        for (const SurfacePoint& pt : poses[i]) {
            double v[3] = {pt.position.x, pt.position.y, pt.position.z};
            uint8_t q[3];
            for (int a = 0; a < 3; ++a)
                q[a] = static_cast<uint8_t>(std::lround((v[a] - model.translate[a]) / model.scale[a]));
            frame.frame.vertices.push_back(Vertex{q[0], q[1], q[2], NearestNormal(pt.normal)});
        }
        model.frames.push_back(frame);
    }
    for (int hue : {2, 10}) {
        writers::MdlSkin skin;
        skin.pixels = PatternSkin(model.skinWidth, model.skinHeight, hue, hue + 3);
        model.skins.push_back(skin);
    }
    return model;
}

bool Write(const std::string& path, const std::vector<uint8_t>& bytes)
{
    if (writers::WriteFile(path, bytes))
        return true;
    fprintf(stderr, "tarnivel-demo: cannot write %s\n", path.c_str());
    return false;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string folder = argc > 1 ? argv[1] : "demo";
    mkdir(folder.c_str(), 0755);
    mkdir((folder + "/player").c_str(), 0755);

    // Quake palette: 32 hues of 8 levels; Quake 2 palette: 16 hues of 16 levels.
    std::vector<uint8_t> mdlPalette = HuePalette(32, 8, 0.8);
    std::vector<uint8_t> md2Palette = HuePalette(16, 16, 0.75);

    writers::PcxPicture skin;
    skin.width = skin.height = 128;
    skin.indices = PatternSkin(128, 128, 1, 9);
    skin.palette256 = md2Palette.data();
    writers::PcxPicture weaponSkin;
    weaponSkin.width = weaponSkin.height = 32;
    weaponSkin.indices = PatternSkin(32, 32, 5, 12);
    weaponSkin.palette256 = md2Palette.data();

    bool ok = Write(folder + "/palette.lmp", mdlPalette) && Write(folder + "/palette_MD2.lmp", md2Palette) &&
              Write(folder + "/figure.md2", writers::WriteMd2(FigureModel(-35, "figure.pcx"))) &&
              Write(folder + "/figure.pcx", writers::WritePcx(skin)) &&
              Write(folder + "/creature.mdl", writers::WriteMdl(CreatureModel(35))) &&
              Write(folder + "/player/tris.md2", writers::WriteMd2(FigureModel(0, "players/demo/skin.pcx"))) &&
              Write(folder + "/player/skin.pcx", writers::WritePcx(skin)) &&
              Write(folder + "/player/weapon.md2", writers::WriteMd2(WeaponModel(0))) &&
              Write(folder + "/player/weapon.pcx", writers::WritePcx(weaponSkin));
    if (ok)
        printf("tarnivel-demo: wrote the demo folder %s\n", folder.c_str());
    return ok ? 0 : 1;
}
