#pragma once

// Writers of small MD2, MDL, PCX and palette files, shared by the demo
// generator and the tests (which also write broken ones on purpose).

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace writers {

struct Vertex {
    uint8_t x, y, z, normal;
};

struct Frame {
    float scale[3] = {1, 1, 1};
    float translate[3] = {0, 0, 0};
    std::string name;  // up to 16 characters, NUL-padded
    std::vector<Vertex> vertices;
};

struct Md2Model {
    int32_t skinWidth = 8;
    int32_t skinHeight = 8;
    std::vector<std::string> skins;  // names, up to 64 characters
    std::vector<std::array<int16_t, 2>> texCoords;
    std::vector<std::array<int16_t, 6>> triangles;  // 3 vertex then 3 texture-coordinate indices
    std::vector<Frame> frames;
    std::vector<int32_t> glCommands;  // raw words; see FanCommands
};

// Header field offsets, for tests that patch a written file.
namespace md2 {
constexpr size_t kSkinWidth = 8, kSkinHeight = 12, kFrameSize = 16, kNumSkins = 20, kNumXyz = 24,
                 kNumSt = 28, kNumTris = 32, kNumGlCmds = 36, kNumFrames = 40, kOfsSkins = 44,
                 kOfsSt = 48, kOfsTris = 52, kOfsFrames = 56, kOfsGlCmds = 60, kOfsEnd = 64;
}

// Sections in the order skins, texture coordinates, triangles, frames, GL commands.
std::vector<uint8_t> WriteMd2(const Md2Model& model);
// One fan of three per triangle, texture coordinates divided by the skin size.
std::vector<int32_t> FanCommands(const Md2Model& model);

struct MdlSkin {
    int32_t group = 0;  // not 0: a skin group of count skins
    std::vector<uint8_t> pixels;  // skinWidth * skinHeight for each picture
    int32_t count = 1;  // the count a group header gives
    std::vector<float> intervals;  // a group's times; 0.1, 0.2, ... one per picture when empty
};

struct MdlFrame {
    int32_t type = 0;  // not 0: a frame group (count, min, max, intervals, pictures)
    Frame frame;       // a single frame; scale and translate are ignored: the header has them
    std::vector<Frame> pictures;   // a group's frames
    std::vector<float> intervals;  // a group's times, one per picture; 0.1, 0.2, ... when empty
    std::optional<int32_t> groupCount;  // the count written, when not the number of pictures
    Vertex min{}, max{};
};

struct MdlModel {
    float scale[3] = {1, 1, 1};
    float translate[3] = {0, 0, 0};
    int32_t skinWidth = 8;
    int32_t skinHeight = 8;
    int32_t numVerts = -1;  // -1: the vertex count of the first frame
    std::vector<MdlSkin> skins;
    std::vector<std::array<int32_t, 3>> texCoords;  // onSeam, s, t
    std::vector<std::array<int32_t, 4>> triangles;  // facesFront, 3 vertex indices
    std::vector<MdlFrame> frames;
};

namespace mdl {
constexpr size_t kNumSkins = 48, kSkinWidth = 52, kSkinHeight = 56, kNumVerts = 60, kNumTris = 64,
                 kNumFrames = 68;
}

std::vector<uint8_t> WriteMdl(const MdlModel& model);

// A run-length encoded PCX; palette256 null gives a 16-colour file (palette16
// in the header). bitsPerPixel and planes other than 8 and 1 write the
// header only, with the given image data bytes.
struct PcxPicture {
    int width = 8;
    int height = 8;
    std::vector<uint8_t> indices;
    const uint8_t* palette256 = nullptr;
    int version = 5;
    int bitsPerPixel = 8;
    int planes = 1;
};
std::vector<uint8_t> WritePcx(const PcxPicture& pcx);

struct Md3Tag {
    std::string name;
    float origin[3] = {0, 0, 0};
    float axis[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
};

struct Md3Vertex {
    int16_t x, y, z;  // 1/64 units
    uint16_t normal;  // latitude << 8 | longitude
};

struct Md3Surface {
    std::string name;
    std::vector<std::string> shaders;
    std::vector<std::array<int32_t, 3>> triangles;
    std::vector<std::array<float, 2>> texCoords;   // one a vertex
    std::vector<std::vector<Md3Vertex>> frames;    // the vertices of each frame
};

struct Md3Model {
    std::vector<std::string> frameNames;
    std::vector<std::vector<Md3Tag>> tags;  // the tags of each frame
    std::vector<Md3Surface> surfaces;
};

// Header, frames, tags, then each surface whole (header, shaders, triangles,
// texture coordinates, vertices); surface offsets are from its start.
std::vector<uint8_t> WriteMd3(const Md3Model& model);
namespace md3 {
constexpr size_t kNumFrames = 76, kNumTags = 80, kNumSurfaces = 84, kOfsFrames = 92, kOfsTags = 96,
                 kOfsSurfaces = 100, kFirstSurface = 108;  // plus the frames and tags before it
constexpr size_t kSurfaceNumVerts = 80, kSurfaceNumTriangles = 84, kSurfaceOfsTriangles = 88,
                 kSurfaceOfsEnd = 104;  // from the surface's start
}

// The MD3 as an MDC (version 2): the frames marked base kept whole, each
// other frame its vertices' offsets from the last base frame before it in
// 0.05-unit steps (within 6.35 units) with normal index 255 - the vertex's
// number; tags at the angles given (pitch, yaw, roll a tag, every frame).
std::vector<uint8_t> WriteMdc(const Md3Model& model, const std::vector<bool>& base,
                              const std::vector<std::array<float, 3>>& tagAngles);
namespace mdc {
constexpr size_t kNumFrames = 76, kOfsTags = 100, kOfsSurfaces = 104;  // header fields
constexpr size_t kNumBase = 76, kNumVertices = 84, kOfsTriangles = 92, kOfsFrameBases = 112,
                 kOfsFrameCompressed = 116, kOfsEnd = 120;  // from the surface's start
}

void PutInt32(std::vector<uint8_t>& bytes, size_t offset, int32_t value);
void PutInt16(std::vector<uint8_t>& bytes, size_t offset, int16_t value);
bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);

using ArchiveFiles = std::vector<std::pair<std::string, std::vector<uint8_t>>>;

// A pak file: the "PACK" header and 64-byte directory entries.
std::vector<uint8_t> WritePak(const ArchiveFiles& files);
// A zip (.pk3) of deflated members, written with libzip.
std::vector<uint8_t> WriteZip(const ArchiveFiles& files);

}  // namespace writers
