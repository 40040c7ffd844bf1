#pragma once

// The Inter-Quake Model, version 2: meshes over shared vertex arrays,
// triangles, joints, poses, animations and frames of joint channels.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "formats/reports.h"

constexpr int kIqmHeaderSize = 124;
constexpr uint32_t kIqmVersion = 2;

struct IqmMesh {
    std::string name;
    std::string material;
    uint32_t firstVertex, vertexCount, firstTriangle, triangleCount;
};

struct IqmJoint {
    std::string name;
    int32_t parent;
    float translate[3], rotate[4], scale[3];  // relative to the parent; rotate x, y, z, w
};

// One animated joint's ten channels (translation, rotation x y z w, scale)
// frame by frame: offset plus, where the mask says so, a stored step times scale.
struct IqmPose {
    int32_t parent;
    uint32_t mask;
    float offset[10], scale[10];
};

struct IqmAnimation {
    std::string name;
    uint32_t firstFrame, frameCount;
    float framerate;
    bool loop;
};

struct IqmFile {
    std::vector<IqmMesh> meshes;
    uint32_t vertexCount = 0;
    std::vector<float> positions;        // three a vertex
    std::vector<float> texCoords;        // two a vertex (zeros without)
    std::vector<float> normals;          // three a vertex; empty without
    std::vector<uint8_t> blendIndexes;   // four a vertex; empty without
    std::vector<float> blendWeights;     // four a vertex, 0 to 1; empty without
    std::vector<uint32_t> triangles;     // three a triangle, into the whole vertex arrays
    std::vector<IqmJoint> joints;
    std::vector<IqmPose> poses;
    std::vector<IqmAnimation> animations;
    uint32_t frameCount = 0;
    std::vector<float> frames;  // ten channels a pose, poses.size() a frame, frame after frame
    std::vector<float> bounds;  // eight a frame (least x y z, most x y z, xy radius, radius); may be empty
};

// Reads a whole file, checking every count, offset, name, index, parent and
// weight; null after a report naming the fault.
std::unique_ptr<IqmFile> ReadIqm(const std::vector<uint8_t>& bytes, Reports& reports);

// The poses' masks, offsets and steps made from the frames, and each frame's
// values moved to the nearest the file can hold (65536 steps a channel).
void QuantizeIqmFrames(IqmFile& file);
// The record as a file's bytes: vertex arrays of floats, blend indexes and
// weights as bytes (weights summing to 255), poses as QuantizeIqmFrames
// left them. Its counts and names are the caller's to keep within the
// engines' limits.
std::vector<uint8_t> WriteIqm(const IqmFile& file);
