#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model_writers.h"
#include "skeletal_writers.h"

// A fresh folder under /tmp, removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string Path(const std::string& name) const { return path_ + "/" + name; }
    // Writes bytes to a file in the folder (making sub-folders) and gives its path.
    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const;

private:
    std::string path_;
};

// Runs the body in a folder and goes back to where it was.
class WorkingDirectory {
public:
    explicit WorkingDirectory(const std::string& path);
    ~WorkingDirectory();

private:
    std::string previous_;
};

std::vector<uint8_t> ReadBytes(const std::string& path);
std::string ReadText(const std::string& path);
// A text's bytes, to write as a file.
std::vector<uint8_t> Text(const std::string& text);
bool FileExists(const std::string& path);
// How often the text holds what.
int Occurrences(const std::string& text, const std::string& what);

// A quad of four vertices, two triangles (0 1 2 and 0 2 3), one frame per
// name. Frame f vertex v is (10v + 4f, Y[v] + 8f, Z[v] + 12f) with Y = (0, 40,
// 40, 0), Z = (0, 0, 60, 60), normal index v + f, scale (1, 2, 4) and
// translate (10, 20, 30); GL commands are one fan a triangle.
writers::Md2Model TinyMd2(const std::vector<std::string>& frameNames = {"frame1", "frame2", "frame3"});

// The same geometry as an MDL: header scale and translate as above, 8 x 8
// skins, vertex 3 on the seam, triangle 0 facing front and triangle 1 back.
writers::MdlModel TinyMdl(int frames = 3, int skins = 1);
// TinyMdl(5, skins) with frames at, at + 1 and at + 2 made one frame group.
writers::MdlModel GroupedMdl(int at, std::vector<float> intervals = {0.1f, 0.25f, 0.5f}, int skins = 1);

// An 8-bit PCX of the given size whose pixel (x, y) is (x + y) % 256.
std::vector<uint8_t> TestPcx(int width, int height, bool palette256 = true);

// A quad as an MD3 surface of the given name: vertex v of frame f at
// (64 (10v + 4f), 64 Y[v], 64 Z[v]) (so (10v + 4f, Y[v], Z[v]) units) with Y
// and Z as TinyMd2's, normal v * 257 (latitude and longitude v).
writers::Md3Surface TinySurface(const std::string& name, int frames, const std::string& shader = "");
// A two-bone arm: "shoulder" at the origin, "elbow" 10 along x from it. Six
// vertices, pairs at x = 0, 15 and 20 (y 0 and 2): the first pair on the
// shoulder, the last on the elbow, the middle 0.6 shoulder and 0.4 elbow.
// Animations "raise" (10 a second: the bind pose, then the elbow turned a
// quarter about z) and "wave" (5 a second: the bind pose, then the shoulder
// turned a quarter about x).
writers::SkeletalModel TwoBoneArm();
// The arm with each vertex on its heaviest joint alone (as ZYM and Half-Life hold them).
writers::SkeletalModel OneBoneArm();

// A shader script of two shaders that uses most of what a script can say:
// comments, editor keywords, deforms, sort, cull, a lightmap stage, animMap,
// blends, tests, colour and texture coordinate generators.
std::string SampleShaderScript();

// A flat square MD3 of one surface ("quad", wearing the shader), 40 units a
// side in the file's y-z plane, its front to +x (where a model is seen
// from), or away from it; texture coordinates run 0 to 1 across it.
writers::Md3Model FlatQuad(const std::string& shader, bool facingAway = false);

// A Quake III player in a folder: lower.md3 (3 frames, tag_torso at
// (0, 0, 10 + f) turned f quarter turns about z), upper.md3 (3 frames,
// tag_head at (0, 0, 8), tag_weapon at (5, 0, 2)), head.md3 (1 frame), their _default and _red
// .skin files, and an animation.cfg (which may be given).
void WriteTinyPlayer(const TempDir& dir, const std::string& folder, const std::string& config = "");

// A weapon in its folder (.../weapons2/NAME): NAME.md3 (surface "gun", with
// tags: tag_barrel at (3, 0, 0) and tag_flash at (6, 0, 0)), NAME_barrel.md3
// and NAME_flash.md3 (surfaces "barrel" and "flash").
void WriteTinyWeapon(const TempDir& dir, const std::string& folder, bool tags = true);

// A palette as Quake's is laid out: 0-215 a cube of 6 levels of red, green
// and blue, 216-223 greys, 224-255 bright colours (those that glow).
std::vector<uint8_t> CubePalette();
