// A skinned glTF scene as a skeleton: the skins' joints (the nodes between
// them folded into their poses, the scene above a root folded into it), the
// file's own inverse bind matrices, and each animation a run of frames of
// joint poses at its keys; meshes skinned on them, meshes on a joint's node
// carried by it rigidly, and meshes on no joint standing still.
#include <algorithm>
#include <cmath>

#include "geometry/normals.h"
#include "model/gltf_model.h"
#include "model/skeletal_load.h"
#include "platform/names.h"

namespace {

struct Joints {
    std::vector<int> nodes;       // by joint, parents first
    std::vector<int> of;          // by node: its joint, or -1
    std::vector<Matrix4> inverse; // by joint: the file's inverse bind matrix (glTF's space)
};

// The skins' joints as they list them; empty when a joint comes before
// the joint it hangs from.
std::vector<int> ListedOrder(const tinygltf::Model& gltf, const SceneState& rest, const std::vector<char>& wanted)
{
    std::vector<int> order;
    std::vector<char> placed(gltf.nodes.size(), 0);
    for (const tinygltf::Skin& skin : gltf.skins)
        for (int node : skin.joints) {
            if (placed[node])
                continue;
            int above = rest.parent[node];
            while (above >= 0 && !wanted[above])
                above = rest.parent[above];
            if (above >= 0 && !placed[above])
                return {};
            placed[node] = 1;
            order.push_back(node);
        }
    return order;
}

// Every node, parents first, in the order of a walk from the roots.
std::vector<int> WalkOrder(const tinygltf::Model& gltf, const SceneState& rest)
{
    std::vector<int> order;
    for (size_t n = 0; n < gltf.nodes.size(); ++n) {
        if (rest.parent[n] >= 0)
            continue;
        std::vector<int> stack = {static_cast<int>(n)};
        while (!stack.empty()) {
            int node = stack.back();
            stack.pop_back();
            order.push_back(node);
            stack.insert(stack.end(), gltf.nodes[node].children.rbegin(), gltf.nodes[node].children.rend());
        }
    }
    return order;
}

Joints GatherJoints(const tinygltf::Model& gltf)
{
    Joints joints;
    joints.of.assign(gltf.nodes.size(), -1);
    std::vector<char> wanted(gltf.nodes.size(), 0);
    std::vector<Matrix4> given(gltf.nodes.size(), Matrix4{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
    std::vector<char> taken(gltf.nodes.size(), 0);
    for (const tinygltf::Skin& skin : gltf.skins) {
        std::vector<float> matrices;
        bool read = skin.inverseBindMatrices >= 0 && AccessorFloats(gltf, skin.inverseBindMatrices, 16, matrices);
        for (size_t j = 0; j < skin.joints.size(); ++j) {
            int node = skin.joints[j];
            wanted[node] = 1;
            if (read && !taken[node] && 16 * (j + 1) <= matrices.size()) {
                std::copy(&matrices[16 * j], &matrices[16 * j] + 16, given[node].begin());
                taken[node] = 1;
            }
        }
    }
    // The skins' own order when it puts parents first, else a walk's from the roots.
    SceneState rest = RestState(gltf);
    std::vector<int> order = ListedOrder(gltf, rest, wanted);
    if (order.empty())
        order = WalkOrder(gltf, rest);
    for (int node : order) {
        if (!wanted[node])
            continue;
        joints.of[node] = static_cast<int>(joints.nodes.size());
        joints.nodes.push_back(node);
        joints.inverse.push_back(given[node]);
    }
    return joints;
}

// The nearest joint above a node (or the node itself); -1 for none.
int CarryingJoint(const Joints& joints, const SceneState& state, int node, bool self)
{
    for (int at = self ? node : state.parent[node]; at >= 0; at = state.parent[at])
        if (joints.of[at] >= 0)
            return joints.of[at];
    return -1;
}

// A matrix of the game's space as a pose (no shear).
JointPose PoseOf(const Matrix4& m)
{
    JointPose pose;
    double columns[3][3];
    for (int c = 0; c < 3; ++c) {
        double length = std::sqrt(m[4 * c] * m[4 * c] + m[4 * c + 1] * m[4 * c + 1] + m[4 * c + 2] * m[4 * c + 2]);
        pose.scale[c] = static_cast<float>(length);
        for (int r = 0; r < 3; ++r)
            columns[c][r] = length > 0 ? m[4 * c + r] / length : (r == c);
        pose.translate[c] = static_cast<float>(m[12 + c]);
    }
    // Rotation rows and columns: r(row, column) = columns[column][row].
    auto r = [&](int row, int column) { return columns[column][row]; };
    double trace = r(0, 0) + r(1, 1) + r(2, 2), q[4];
    if (trace > 0) {
        double s = 2 * std::sqrt(trace + 1);
        q[3] = s / 4, q[0] = (r(2, 1) - r(1, 2)) / s, q[1] = (r(0, 2) - r(2, 0)) / s, q[2] = (r(1, 0) - r(0, 1)) / s;
    } else if (r(0, 0) > r(1, 1) && r(0, 0) > r(2, 2)) {
        double s = 2 * std::sqrt(1 + r(0, 0) - r(1, 1) - r(2, 2));
        q[3] = (r(2, 1) - r(1, 2)) / s, q[0] = s / 4, q[1] = (r(0, 1) + r(1, 0)) / s, q[2] = (r(0, 2) + r(2, 0)) / s;
    } else if (r(1, 1) > r(2, 2)) {
        double s = 2 * std::sqrt(1 + r(1, 1) - r(0, 0) - r(2, 2));
        q[3] = (r(0, 2) - r(2, 0)) / s, q[0] = (r(0, 1) + r(1, 0)) / s, q[1] = s / 4, q[2] = (r(1, 2) + r(2, 1)) / s;
    } else {
        double s = 2 * std::sqrt(1 + r(2, 2) - r(0, 0) - r(1, 1));
        q[3] = (r(1, 0) - r(0, 1)) / s, q[0] = (r(0, 2) + r(2, 0)) / s, q[1] = (r(1, 2) + r(2, 1)) / s, q[2] = s / 4;
    }
    for (int i = 0; i < 4; ++i)
        pose.rotate[i] = static_cast<float>(q[i]);
    NormalizeQuaternion(pose.rotate);
    return pose;
}

// Every joint's pose at a state, relative to the joint above it (or to the world).
std::vector<JointPose> PosesAt(const Joints& joints, const Skeleton& skeleton, const SceneState& state)
{
    std::vector<Matrix4> world = WorldMatrices(state);
    std::vector<JointPose> poses;
    for (size_t j = 0; j < joints.nodes.size(); ++j) {
        int parent = skeleton.joints[j].parent;
        Matrix4 local = parent >= 0 ? Multiply(Inverse(world[joints.nodes[parent]]), world[joints.nodes[j]])
                                    : world[joints.nodes[j]];
        poses.push_back(PoseOf(GameMatrix(local)));
    }
    return poses;
}

Matrix34 Rows(const Matrix4& m)
{
    Matrix34 out;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 4; ++c)
            out.m[4 * r + c] = static_cast<float>(m[4 * c + r]);
    return out;
}

// A skinned primitive: its vertices in the game's axes, its joints the skeleton's.
SkinnedVertices Skinned(const tinygltf::Model& gltf, const Joints& joints, const GltfPrimitive& primitive,
                        bool& fixed)
{
    SkinnedVertices skinned;
    const tinygltf::Skin& skin = gltf.skins[gltf.nodes[primitive.node].skin];
    skinned.count = static_cast<int32_t>(primitive.Count());
    for (size_t v = 0; v < primitive.Count(); ++v) {
        double p[3] = {primitive.positions[3 * v], primitive.positions[3 * v + 1], primitive.positions[3 * v + 2]};
        float out[3];
        GamePoint(p, out);
        skinned.positions.insert(skinned.positions.end(), out, out + 3);
        if (!primitive.normals.empty()) {
            double n[3] = {primitive.normals[3 * v], primitive.normals[3 * v + 1], primitive.normals[3 * v + 2]};
            GameDirection(n, out);
            skinned.normals.insert(skinned.normals.end(), out, out + 3);
        }
        std::vector<std::pair<float, int>> weights;
        for (int k = 0; k < 4; ++k) {
            uint32_t index = primitive.joints[4 * v + k];
            float weight = primitive.weights[4 * v + k];
            if (weight > 0 && index < skin.joints.size())
                weights.push_back({weight, joints.of[skin.joints[index]]});
        }
        PutWeights(weights, static_cast<int>(joints.nodes.size()), skinned, fixed);
    }
    return skinned;
}

// A primitive a joint carries rigidly: its vertices as that joint's bind
// places them, each wholly on it.
SkinnedVertices Carried(const Joints& joints, const GltfPrimitive& primitive, int joint, const Matrix4& jointRest,
                        const Matrix4& nodeRest)
{
    Matrix4 toBind = Multiply(Inverse(Multiply(jointRest, joints.inverse[joint])), nodeRest);
    SkinnedVertices skinned;
    skinned.count = static_cast<int32_t>(primitive.Count());
    for (size_t v = 0; v < primitive.Count(); ++v) {
        double moved[3];
        float out[3];
        TransformPoint(toBind, &primitive.positions[3 * v], moved);
        GamePoint(moved, out);
        skinned.positions.insert(skinned.positions.end(), out, out + 3);
        if (!primitive.normals.empty()) {
            TransformDirection(toBind, &primitive.normals[3 * v], moved);
            GameDirection(moved, out);
            skinned.normals.insert(skinned.normals.end(), out, out + 3);
        }
        bool fixed = false;
        PutWeights({{1.0f, joint}}, static_cast<int>(joints.nodes.size()), skinned, fixed);
    }
    return skinned;
}

}  // namespace

bool SkeletalFrames(const tinygltf::Model& gltf, const std::vector<GltfPrimitive>& primitives,
                    const std::vector<PreparedAnimation>& animations, GltfRecord& record, DrawnModel& drawn,
                    std::vector<std::string>& names, Reports& reports)
{
    for (const GltfPrimitive& primitive : primitives) {
        if (primitive.joints.empty() || gltf.nodes[primitive.node].skin < 0)
            continue;
        size_t count = gltf.skins[gltf.nodes[primitive.node].skin].joints.size();
        for (uint32_t joint : primitive.joints)
            if (joint >= count) {
                AddReport(reports, "InitGltfObject: a vertex names joint %u of a skin of %zu", joint, count);
                return false;
            }
    }
    Joints joints = GatherJoints(gltf);
    SceneState rest = RestState(gltf);
    Skeleton skeleton;
    for (size_t j = 0; j < joints.nodes.size(); ++j) {
        int parent = CarryingJoint(joints, rest, joints.nodes[j], false);
        skeleton.joints.push_back({AsText(gltf.nodes[joints.nodes[j]].name), parent, JointPose()});
    }
    std::vector<JointPose> bind = PosesAt(joints, skeleton, rest);
    for (size_t j = 0; j < bind.size(); ++j)
        skeleton.joints[j].bind = bind[j];
    std::vector<SceneState> states;
    for (size_t a = 0; a < animations.size(); ++a) {
        std::vector<double> times = KeyTimes(animations[a]);
        for (double time : times) {
            SceneState state = rest;
            ApplyAnimation(animations[a], time, state);
            std::vector<JointPose> poses = PosesAt(joints, skeleton, state);
            skeleton.frames.insert(skeleton.frames.end(), poses.begin(), poses.end());
            states.push_back(std::move(state));
        }
        float duration = times.size() > 1 ? static_cast<float>(times.back() - times.front()) : 0;
        std::string name = animations[a].name.empty() ? "animation" + std::to_string(a + 1) : animations[a].name;
        AppendAnimation(skeleton, AsText(name), static_cast<int>(times.size()),
                        duration > 0 ? (times.size() - 1) / duration : 0, true);
    }
    FinishSkeleton(skeleton);
    for (size_t j = 0; j < joints.nodes.size(); ++j)
        skeleton.inverseBind[j] = Rows(GameMatrix(joints.inverse[j]));
    auto shared = std::make_shared<const Skeleton>(std::move(skeleton));
    std::vector<Matrix4> world = WorldMatrices(rest);
    bool fixed = false, morphsLeft = false;
    std::vector<DrawnPart> parts;
    record.frames.resize(primitives.size());
    for (size_t p = 0; p < primitives.size(); ++p) {
        const GltfPrimitive& primitive = primitives[p];
        morphsLeft = morphsLeft || !primitive.targetPositions.empty();
        bool skinned = !primitive.joints.empty() && gltf.nodes[primitive.node].skin >= 0;
        int carrier = skinned ? -1 : CarryingJoint(joints, rest, primitive.node, true);
        DrawnPart part;
        if (skinned || carrier >= 0) {
            SkinnedVertices vertices = skinned ? Skinned(gltf, joints, primitive, fixed)
                                               : Carried(joints, primitive, carrier, world[joints.nodes[carrier]],
                                                         world[primitive.node]);
            std::vector<uint32_t> corners;
            std::shared_ptr<const FrameLayout> layout = PrimitiveLayout(primitive, corners);
            part.name = AsText(primitive.name);
            part.skinSlot = static_cast<int32_t>(p);
            part.triangles = layout;
            part.corners = corners;
            if (vertices.normals.empty()) {
                vertices.normals.assign(vertices.positions.size(), 0.0f);
                NormalsFromTriangles(vertices.positions.data(), vertices.count, part.corners, vertices.normals.data());
            }
            part.skinned = std::move(vertices);
            part.skeleton = shared;
        } else {
            // On no joint: it stands where the scene puts it, in every frame.
            std::vector<FloatVertex>& stored = record.frames[p];
            stored.resize(primitive.Count());
            BakeFrame(gltf, primitive, rest, world[primitive.node], stored.data());
            part.name = AsText(primitive.name);
            part.skinSlot = static_cast<int32_t>(p);
            part.triangles = PrimitiveLayout(primitive, part.corners);
            part.frames.storage = VertexStorage::kFloats;
            part.frames.first = reinterpret_cast<const uint8_t*>(stored.data());
            part.frames.stride = sizeof(FloatVertex) * primitive.Count();
            part.frames.frameCount = 1;
            part.frames.vertexCount = static_cast<int32_t>(primitive.Count());
            part.frames.transforms.push_back({{1, 1, 1}, {0, 0, 0}});
            part.frames.lacksNormals.assign(1, primitive.normals.empty() ? 1 : 0);
        }
        parts.push_back(std::move(part));
    }
    if (fixed)
        AddReport(reports, "InitGltfObject: some vertices' weights do not sum to one; they are made to");
    if (morphsLeft)
        AddReport(reports, "InitGltfObject: the morph targets of a skinned model are left out");
    drawn = SkeletalDrawn(std::move(parts), shared, "InitGltfObject", "DrawGltfFrame()");
    names = SkeletalFrameNames(*shared);
    if (states.empty())
        states.push_back(rest);
    drawn.tags.clear();  // the scene's tag nodes, joints or not, instead
    drawn.tagCount = 0;
    AddTags(gltf, states, drawn);
    return true;
}
