#pragma once

// DarkPlaces' own skeletal model (DPM, "DARKPLACESMODEL", type 2), big
// endian: bones in a hierarchy, frames of each bone's pose relative to its
// parent, meshes whose vertices are sums of bone-space influences.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "formats/reports.h"

constexpr int kDpmHeaderSize = 80;

struct DpmBone {
    std::string name;
    int32_t parent;  // before the bone itself, or -1
    uint32_t flags;
};

// One bone's share of a vertex: its place in the bone's space and its
// normal, both already weighted by the influence.
struct DpmInfluence {
    float origin[3];
    float influence;
    float normal[3];
    uint32_t bone;
};

struct DpmMesh {
    std::string shader;
    std::vector<uint32_t> firstInfluence;  // by vertex, and one past the last
    std::vector<DpmInfluence> influences;
    std::vector<float> texCoords;       // two a vertex
    std::vector<uint32_t> triangles;    // three a triangle, into the mesh's vertices
};

struct DpmFrame {
    std::string name;
    float mins[3], maxs[3];
    std::vector<float> poses;  // a 3 x 4 matrix (rows) a bone, relative to its parent
};

struct DpmFile {
    std::vector<DpmBone> bones;
    std::vector<DpmMesh> meshes;
    std::vector<DpmFrame> frames;  // the first is the pose the meshes were made in
};

// Reads a whole file, checking every count, offset, parent and index; null
// after a report naming the fault.
std::unique_ptr<DpmFile> ReadDpm(const std::vector<uint8_t>& bytes, Reports& reports);
