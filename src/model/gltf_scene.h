#pragma once

// A glTF scene at a moment: each node's translation, rotation, scale (or
// matrix) and morph weights as an animation leaves them at a time, and the
// nodes' places in the scene; turned from glTF's axes and metres into the
// game's (x forward, z up, an inch a unit) as the exports turned them out.
#include <array>
#include <string>
#include <vector>

#include "formats/gltf.h"
#include "geometry/tool_axes.h"

// A column-major 4 x 4 matrix.
using Matrix4 = std::array<double, 16>;

struct NodeState {
    double translation[3] = {0, 0, 0};
    double rotation[4] = {0, 0, 0, 1};  // x, y, z, w
    double scale[3] = {1, 1, 1};
    bool matrix = false;  // a node given by its matrix, which no animation moves
    Matrix4 given{};
    std::vector<float> weights;
};

struct SceneState {
    std::vector<NodeState> nodes;
    std::vector<int> parent;  // -1 for a root
};


// The nodes at rest: their own transforms and their meshes' default weights.
SceneState RestState(const tinygltf::Model& gltf);

// An animation's channels read once: key times and values, by node and path.
struct SampledChannel {
    int node;
    enum class Path { kTranslation, kRotation, kScale, kWeights } path;
    enum class Method { kLinear, kStep, kCubic } method;
    std::vector<float> times;
    std::vector<float> values;  // width a key (three for a cubic key: in-tangent, value, out-tangent)
    int width;
};
struct PreparedAnimation {
    std::string name;
    std::vector<SampledChannel> channels;  // those that can be read; the others are left out
};
PreparedAnimation PrepareAnimation(const tinygltf::Model& gltf, const tinygltf::Animation& animation);
// The nodes the animation moves, as it leaves them at the time.
void ApplyAnimation(const PreparedAnimation& animation, double time, SceneState& state);
// The times of the animation's keys, in order, each once.
std::vector<double> KeyTimes(const PreparedAnimation& animation);

Matrix4 LocalMatrix(const NodeState& node);
// Every node's matrix in the scene (glTF's axes and units).
std::vector<Matrix4> WorldMatrices(const SceneState& state);
Matrix4 Multiply(const Matrix4& a, const Matrix4& b);
Matrix4 Inverse(const Matrix4& m);
void TransformPoint(const Matrix4& m, const float in[3], double out[3]);
void TransformDirection(const Matrix4& m, const float in[3], double out[3]);

// A matrix of glTF's space as the same change in the game's.
Matrix4 GameMatrix(const Matrix4& m);
