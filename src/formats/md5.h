#pragma once

// id's MD5 (version 10): a mesh file (.md5mesh: joints in the bind pose,
// meshes of vertices each a run of weights on joints, triangles) and
// animation files (.md5anim: a joint hierarchy, a base frame, frames of
// the components that move).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "formats/reports.h"

struct Md5Joint {
    std::string name;
    int32_t parent;
    float position[3];
    float orient[4];  // x, y, z, w: w worked out as the format leaves it out
};

struct Md5Vertex {
    float st[2];
    uint32_t firstWeight, weightCount;
};

struct Md5Weight {
    uint32_t joint;
    float bias;
    float position[3];  // in the joint's own axes
};

struct Md5Mesh {
    std::string name;  // from a "// meshes: NAME" comment, as the cube engines name it
    std::string shader;
    std::vector<Md5Vertex> vertices;
    std::vector<uint32_t> triangles;  // three a triangle
    std::vector<Md5Weight> weights;
};

struct Md5MeshFile {
    std::vector<Md5Joint> joints;  // in the bind pose, in the model's axes
    std::vector<Md5Mesh> meshes;
};

struct Md5AnimJoint {
    std::string name;
    int32_t parent;
    uint32_t flags;  // which of tx ty tz qx qy qz the frames give
    uint32_t startIndex;
};

struct Md5AnimFile {
    std::vector<Md5AnimJoint> hierarchy;
    std::vector<float> baseFrame;  // six a joint: position and orientation x y z
    uint32_t frameRate = 24;
    uint32_t componentCount = 0;
    uint32_t frameCount = 0;
    std::vector<float> frames;  // componentCount a frame
};

// Read the whole text, checking every count, index, parent, weight and
// number; null after a report naming the reader and the fault.
std::unique_ptr<Md5MeshFile> ReadMd5Mesh(const std::string& text, Reports& reports);
std::unique_ptr<Md5AnimFile> ReadMd5Anim(const std::string& text, Reports& reports);

// The unit quaternion of an orientation's x, y and z, w negative as MD5 makes it.
void Md5Orientation(const float xyz[3], float out[4]);
