#pragma once

// Writers of small IQM (version 2), MD5 (version 10), DPM and ZYM files for the tests
// and the fuzz seeds, broken ones too.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace writers {

// A joint's local pose: translation, rotation (x, y, z, w), scale.
struct SkeletalPose {
    float translate[3] = {0, 0, 0};
    float rotate[4] = {0, 0, 0, 1};
    float scale[3] = {1, 1, 1};
};

struct SkeletalJoint {
    std::string name;
    int32_t parent = -1;
    SkeletalPose bind;
};

struct SkeletalVertex {
    float position[3];  // in the bind pose
    float texCoord[2];
    float normal[3] = {0, 0, 1};
    std::array<uint8_t, 4> joints = {0, 0, 0, 0};
    std::array<float, 4> weights = {1, 0, 0, 0};
};

struct SkeletalMesh {
    std::string name, material;
    std::vector<SkeletalVertex> vertices;
    std::vector<uint32_t> triangles;  // three a triangle, into the mesh's vertices
};

struct SkeletalAnimation {
    std::string name;
    float fps = 10;
    std::vector<std::vector<SkeletalPose>> frames;  // each frame's pose of every joint
};

struct SkeletalModel {
    std::vector<SkeletalJoint> joints;
    std::vector<SkeletalMesh> meshes;
    std::vector<SkeletalAnimation> animations;
};

// What the writers share: little-endian numbers, quaternions, and every
// joint's whole transform in the bind pose.
void Put32(std::vector<uint8_t>& out, uint32_t value);
void PutFloat(std::vector<uint8_t>& out, float value);
void PutName(std::vector<uint8_t>& out, const std::string& name, size_t size);  // NUL-padded
void Multiply(const float a[4], const float b[4], float out[4]);
void Rotate(const float q[4], const float v[3], float out[3]);
struct Whole {
    float position[3];
    float rotate[4];
};
std::vector<Whole> Wholes(const std::vector<SkeletalJoint>& joints);

// Header, text, meshes, vertex arrays (positions, texture coordinates,
// normals, blend indexes and weights as bytes), triangles, joints, poses,
// animations, frames of every channel that moves; no bounds.
std::vector<uint8_t> WriteIqm(const SkeletalModel& model);
namespace iqm {
constexpr size_t kOfsVertexArrays = 52, kNumJoints = 68, kOfsJoints = 72, kNumAnims = 84, kOfsAnims = 88,
                 kNumFrames = 92, kOfsFrames = 100;  // header fields
}

// The mesh file: joints in the bind pose as the whole transforms MD5 keeps,
// each vertex its weights' joint-space positions; "// meshes: NAME" names each mesh.
std::string WriteMd5Mesh(const SkeletalModel& model);
// One animation as an .md5anim: every joint's six channels every frame.
std::string WriteMd5Anim(const SkeletalModel& model, const SkeletalAnimation& animation);

// A DarkPlaces model (DPM), big endian: the bones, frame "base" in the bind
// pose then each animation's frames NAME_1, NAME_2..., each vertex its
// weighted bone-space places; no bounds.
std::vector<uint8_t> WriteDpm(const SkeletalModel& model);
// A Zymotic model (ZYM), big endian: scene "base" (the bind pose) then one
// an animation, each vertex on its heaviest joint alone (as ZYM holds them).
std::vector<uint8_t> WriteZym(const SkeletalModel& model);
namespace zym {
constexpr size_t kNumVertices = 48, kNumBones = 60, kLumps = 68;  // header fields; each lump start, length
enum { kScenes, kPoses, kBones, kBoneCounts, kVertices, kTexCoords, kRender, kShaders, kTriZone };
}
namespace dpm {
constexpr size_t kNumBones = 56, kNumMeshes = 60, kNumFrames = 64, kOfsBones = 68, kOfsMeshes = 72,
                 kOfsFrames = 76;  // header fields
}

}  // namespace writers
