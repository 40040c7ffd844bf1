// A skeletal model in glTF as its skeleton moves it: the joints as nodes in
// their hierarchy, the mesh in the bind pose skinned on them, and one
// animation a sequence of every joint's translation, rotation and scale.
#include <tiny_gltf.h>

#include <algorithm>
#include <cmath>

#include "export/export_mesh.h"
#include "export/export_model.h"
#include "export/gltf_parts.h"
#include "geometry/skeleton.h"
#include "platform/names.h"
#include "platform/paths.h"

namespace {

// glTF's x, y, z are the file's y, z, x: a rotation of the axes, so a
// quaternion's vector turns the same way and its w stays.
void Turned(const float in[3], float by, float out[3])
{
    for (int a = 0; a < 3; ++a)
        out[a] = in[(a + 1) % 3] * by;
}

void PlaceNode(const JointPose& pose, float scale, tinygltf::Node& node)
{
    float t[3], r[3], s[3];
    Turned(pose.translate, scale, t);
    Turned(pose.rotate, 1.0f, r);
    Turned(pose.scale, 1.0f, s);
    node.translation.assign(t, t + 3);
    node.rotation = {r[0], r[1], r[2], pose.rotate[3]};
    if (s[0] != 1 || s[1] != 1 || s[2] != 1)
        node.scale.assign(s, s + 3);
}

// The inverse bind matrices in glTF's axes and units, column-major.
std::vector<float> InverseBinds(const Skeleton& skeleton, float scale)
{
    std::vector<float> out;
    for (const Matrix34& m : skeleton.inverseBind) {
        float column[16] = {0};
        for (int row = 0; row < 3; ++row) {
            for (int col = 0; col < 3; ++col)
                column[4 * col + row] = m.m[4 * ((row + 1) % 3) + (col + 1) % 3];
            column[12 + row] = m.m[4 * ((row + 1) % 3) + 3] * scale;
        }
        column[15] = 1;
        out.insert(out.end(), column, column + 16);
    }
    return out;
}

// A primitive in the bind pose with each vertex's four joints and weights.
tinygltf::Primitive BindPrimitive(const DrawnPart& part, const ExportPart& exported, float scale,
                                  BufferWriter& buffer)
{
    const SkinnedVertices& skinned = part.skinned;
    std::vector<float> positions(skinned.positions.size()), normals(skinned.normals.size());
    for (size_t v = 0; 3 * v < positions.size(); ++v)
        Turned(&skinned.positions[3 * v], scale, &positions[3 * v]);
    for (size_t v = 0; 3 * v < normals.size(); ++v) {
        // glTF's normals are unit: a file's zero ones (and its triangles' that give none) point up.
        float* n = &normals[3 * v];
        Turned(&skinned.normals[3 * v], 1.0f, n);
        float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        if (length > 1e-6f && std::isfinite(length))
            n[0] /= length, n[1] /= length, n[2] /= length;
        else
            n[0] = 0, n[1] = 1, n[2] = 0;
    }
    tinygltf::Primitive primitive;
    primitive.mode = TINYGLTF_MODE_TRIANGLES;
    primitive.attributes["POSITION"] = buffer.Accessor(positions, TINYGLTF_TYPE_VEC3, 3, kArrayBuffer, true);
    if (!normals.empty())
        primitive.attributes["NORMAL"] = buffer.Accessor(normals, TINYGLTF_TYPE_VEC3, 3, kArrayBuffer, false);
    primitive.attributes["TEXCOORD_0"] =
        buffer.Accessor(exported.layout->texCoords, TINYGLTF_TYPE_VEC2, 2, kArrayBuffer, false);
    primitive.attributes["JOINTS_0"] = buffer.Joints(skinned.joints);
    primitive.attributes["WEIGHTS_0"] = buffer.Accessor(skinned.weights, TINYGLTF_TYPE_VEC4, 4, kArrayBuffer, false);
    primitive.indices = buffer.Indices(exported.indices);
    return primitive;
}

// The joint nodes from firstNode on, in the joints' order; the roots' numbers.
std::vector<int> AddJointNodes(tinygltf::Model& gltf, const Skeleton& skeleton, float scale)
{
    int firstNode = static_cast<int>(gltf.nodes.size());
    std::vector<int> roots;
    for (size_t j = 0; j < skeleton.joints.size(); ++j) {
        const Joint& joint = skeleton.joints[j];
        tinygltf::Node node;
        node.name = joint.name;
        PlaceNode(joint.bind, scale, node);
        gltf.nodes.push_back(node);
        if (joint.parent >= 0)
            gltf.nodes[firstNode + joint.parent].children.push_back(firstNode + static_cast<int>(j));
        else
            roots.push_back(firstNode + static_cast<int>(j));
    }
    return roots;
}

// One key a frame of the animation's frames that are exported; its
// rotations kept on one side, so each key turns the short way.
void AddSkeletalAnimation(tinygltf::Model& gltf, BufferWriter& buffer, const Skeleton& skeleton,
                          const SkeletalAnimation& sequence, int first, int last, int firstNode,
                          const ExportRequest& request)
{
    int from = std::max(sequence.first, first), to = std::min(sequence.first + sequence.count - 1, last);
    if (from > to || skeleton.frames.empty())
        return;
    size_t joints = skeleton.joints.size();
    double fps = sequence.fps > 0 ? sequence.fps : request.fps;
    std::vector<float> times;
    for (int f = from; f <= to; ++f)
        times.push_back(static_cast<float>((f - from) / fps));
    tinygltf::Animation animation;
    animation.name = sequence.name;
    int input = buffer.Accessor(times, TINYGLTF_TYPE_SCALAR, 1, 0, true);
    for (size_t j = 0; j < joints; ++j) {
        std::vector<float> keys[3];
        float previous[4] = {0, 0, 0, 1};
        for (int f = from; f <= to; ++f) {
            const JointPose& pose = skeleton.frames[f * joints + j];
            float t[3], r[4], s[3];
            Turned(pose.translate, request.scale, t);
            Turned(pose.rotate, 1.0f, r);
            r[3] = pose.rotate[3];
            Turned(pose.scale, 1.0f, s);
            float side = r[0] * previous[0] + r[1] * previous[1] + r[2] * previous[2] + r[3] * previous[3];
            for (int k = 0; k < 4 && side < 0; ++k)
                r[k] = -r[k];
            std::copy(r, r + 4, previous);
            keys[0].insert(keys[0].end(), t, t + 3);
            keys[1].insert(keys[1].end(), r, r + 4);
            keys[2].insert(keys[2].end(), s, s + 3);
        }
        const char* paths[3] = {"translation", "rotation", "scale"};
        for (int k = 0; k < 3; ++k) {
            tinygltf::AnimationSampler sampler;
            sampler.input = input;
            sampler.output = buffer.Accessor(keys[k], k == 1 ? TINYGLTF_TYPE_VEC4 : TINYGLTF_TYPE_VEC3, k == 1 ? 4 : 3,
                                             0, false);
            sampler.interpolation = request.step ? "STEP" : "LINEAR";
            animation.samplers.push_back(sampler);
            tinygltf::AnimationChannel channel;
            channel.sampler = static_cast<int>(animation.samplers.size() - 1);
            channel.target_node = firstNode + static_cast<int>(j);
            channel.target_path = paths[k];
            animation.channels.push_back(channel);
        }
    }
    gltf.animations.push_back(animation);
}

}  // namespace

bool WriteSkeletalGltf(const ModelObject& model, const ExportRequest& request, bool binary, std::string& error)
{
    ExportMesh mesh;
    if (!MakeExportMesh(model, request.firstFrame, request.lastFrame, request.scale, mesh, error))
        return false;
    const Skeleton& skeleton = *model.drawn->skeleton;
    tinygltf::Model gltf;
    gltf.asset.version = "2.0";
    gltf.asset.generator = "Tarnivel";
    BufferWriter buffer(gltf);
    std::vector<tinygltf::Primitive> primitives;
    for (const ExportPart& part : mesh.parts)
        primitives.push_back(BindPrimitive(model.drawn->parts[part.part], part, mesh.scale, buffer));
    if (!AddModelMaterials(gltf, model, mesh, request.skin, buffer, primitives, error))
        return false;

    tinygltf::Node meshNode;
    meshNode.name = AsText(FileNameOf(model.path));
    gltf.nodes.push_back(meshNode);
    std::vector<int> roots = {0};
    if (!primitives.empty() && !skeleton.joints.empty()) {
        tinygltf::Mesh gltfMesh;
        gltfMesh.name = meshNode.name;
        gltfMesh.primitives = primitives;
        gltf.meshes.push_back(gltfMesh);
        gltf.nodes[0].mesh = 0;
        std::vector<int> jointRoots = AddJointNodes(gltf, skeleton, mesh.scale);
        if (jointRoots.size() > 1) {  // a skin's joints need one root
            tinygltf::Node skeletonNode;
            skeletonNode.name = "skeleton";
            skeletonNode.children = jointRoots;
            gltf.nodes.push_back(skeletonNode);
            jointRoots = {static_cast<int>(gltf.nodes.size() - 1)};
        }
        roots.insert(roots.end(), jointRoots.begin(), jointRoots.end());
        tinygltf::Skin skin;
        skin.name = meshNode.name;
        for (size_t j = 0; j < skeleton.joints.size(); ++j)
            skin.joints.push_back(1 + static_cast<int>(j));
        skin.skeleton = jointRoots[0];
        skin.inverseBindMatrices =
            buffer.Accessor(InverseBinds(skeleton, mesh.scale), TINYGLTF_TYPE_MAT4, 16, 0, false);
        gltf.skins.push_back(skin);
        gltf.nodes[0].skin = 0;
        for (const SkeletalAnimation& sequence : skeleton.animations)
            AddSkeletalAnimation(gltf, buffer, skeleton, sequence, mesh.frames.front(), mesh.frames.back(), 1,
                                 request);
    }
    return SaveGltf(gltf, roots, "", request, binary, error);
}
