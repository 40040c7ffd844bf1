#pragma once

// A skeleton and the mesh skinned on it: joints in a hierarchy, their local
// poses frame by frame, and each vertex's joints and weights; posed by
// blending the joints' local poses (rotations by slerp) and skinning the
// bind-pose mesh from them.
#include <cstdint>
#include <string>
#include <vector>

// A joint's place relative to its parent: translation, rotation (a unit
// quaternion x, y, z, w) and scale, in the file's axes.
struct JointPose {
    float translate[3] = {0, 0, 0};
    float rotate[4] = {0, 0, 0, 1};
    float scale[3] = {1, 1, 1};
};

struct Joint {
    std::string name;
    int32_t parent = -1;  // always before the joint itself
    JointPose bind;
};

// A named run of the skeleton's frames, played at its own rate.
struct SkeletalAnimation {
    std::string name;
    int32_t first = 0;
    int32_t count = 0;
    float fps = 10;
    bool loop = false;
};

struct Skeleton {
    std::vector<Joint> joints;
    std::vector<struct Matrix34> inverseBind;  // by joint, made once (FinishSkeleton)
    std::vector<JointPose> frames;  // joints.size() a frame, frame after frame
    int32_t frameCount = 0;
    std::vector<SkeletalAnimation> animations;
};

// A row-major 3 x 4 matrix: rotation and scale, then translation in the last column.
struct Matrix34 {
    float m[12];
};

Matrix34 PoseMatrix(const JointPose& pose);
// The translation, rotation and scale of a matrix of them (a file's pose
// kept as a matrix), its columns' lengths the scale.
JointPose PoseOfMatrix(const Matrix34& m);
Matrix34 Multiply(const Matrix34& a, const Matrix34& b);
// The inverse of a rotation, scale and translation (not sheared).
Matrix34 Inverse(const Matrix34& a);
void TransformPoint(const Matrix34& m, const float in[3], float out[3]);
void TransformNormal(const Matrix34& m, const float in[3], float out[3]);

void NormalizeQuaternion(float q[4]);
// The shorter way from a to b, at t.
void Slerp(const float a[4], const float b[4], float t, float out[4]);

// Works out the inverse bind matrices once the joints are in place.
void FinishSkeleton(Skeleton& skeleton);

// Each joint's whole transform, parents before children, from local poses.
std::vector<Matrix34> JointMatrices(const std::vector<Joint>& joints, const JointPose* poses);

// The vertices of a mesh skinned on a skeleton, in the bind pose: up to
// four joints a vertex with weights that sum to one.
struct SkinnedVertices {
    std::vector<float> positions;  // three a vertex
    std::vector<float> normals;    // three a vertex
    std::vector<uint16_t> joints;  // four a vertex
    std::vector<float> weights;    // four a vertex
    int32_t count = 0;
};

// The joints' local poses at fraction t between the window's frames
// (prevPrev, prev, current, next) by the method (none, linear, cubic).
std::vector<JointPose> BlendPoses(const Skeleton& skeleton, const int window[4], float t, uint8_t method);
// The skinning matrices of poses: each joint's transform times the inverse of its bind transform.
std::vector<Matrix34> SkinningMatrices(const Skeleton& skeleton, const std::vector<JointPose>& poses);
