#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "formats/frame_types.h"
#include "formats/reports.h"

// Quake III models (IDP3, version 15): frames with bounds, tags (named
// places other models hang on) and surfaces, each a mesh of its own with
// its shaders, triangles, texture coordinates and per-frame vertices.
constexpr int32_t kMd3Ident = 0x33504449;  // "IDP3"
constexpr int32_t kMd3Version = 15;
constexpr int kMd3HeaderSize = 108;
constexpr int kMd3SurfaceHeaderSize = 108;
constexpr int kMd3NameSize = 64;

// The engines' own limits: ioquake3's for frames, tags, surfaces and
// shaders. A surface's vertices and triangles are bounded by DarkPlaces,
// which sets no limit of its own (the file's size bounds them): games on it
// ship surfaces past ioquake3's, which refuses a model with a surface of
// 1000 vertices or 2000 triangles (SHADER_MAX_VERTEXES, SHADER_MAX_INDEXES).
constexpr int32_t kMd3MaxFrames = 1024;
constexpr int32_t kMd3MaxTags = 16;
constexpr int32_t kMd3MaxSurfaces = 32;
constexpr int32_t kMd3MaxShaders = 256;
constexpr int32_t kMd3MaxVertices = 1 << 20;
constexpr int32_t kMd3MaxTriangles = 1 << 21;
constexpr int32_t kIoquake3MaxVertices = 999;
constexpr int32_t kIoquake3MaxTriangles = 1999;

using Md3Vertex = ShortVertex;

struct Md3Frame {
    float min[3];
    float max[3];
    float origin[3];
    float radius;
    std::string name;
};

// A tag at one frame: an origin and three axes (rows) in the model's axes.
struct Md3Tag {
    std::string name;
    float origin[3];
    float axis[3][3];
};

struct Md3Surface {
    std::string name;
    std::vector<std::string> shaders;
    std::vector<uint32_t> triangles;  // three vertex indices a triangle
    std::vector<float> texCoords;     // s, t a vertex
    std::vector<Md3Vertex> vertices;  // numVertices a frame, frame after frame
    int32_t numVertices = 0;
};

struct Md3File {
    std::string name;
    std::vector<Md3Frame> frames;
    std::vector<Md3Tag> tags;  // numTags a frame, frame after frame
    int32_t numTags = 0;
    std::vector<Md3Surface> surfaces;
};

inline int32_t FrameCount(const Md3File& file)
{
    return static_cast<int32_t>(file.frames.size());
}

inline const Md3Vertex* Md3FrameVertices(const Md3Surface& surface, int frame)
{
    return surface.vertices.data() + static_cast<size_t>(frame) * surface.numVertices;
}

// The tag of that name at a frame; null when the model has none.
const Md3Tag* FindMd3Tag(const Md3File& file, int frame, const std::string& name);

// Reads a whole file's bytes, checking every count, offset and size against
// the file and the engines' limits. Null after a report naming the fault; a
// tag with a number that is not finite is left out, with a report.
std::unique_ptr<Md3File> ReadMd3(const std::vector<uint8_t>& bytes, Reports& reports);
// The record as a file's bytes, as they read back: its counts are the
// caller's to keep within the limits above and ioquake3's.
std::vector<uint8_t> WriteMd3(const Md3File& file);
