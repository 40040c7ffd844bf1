#include "support/gltf_fixtures.h"

#include <cmath>

namespace {

const float kHalf = std::sqrt(0.5f);

}  // namespace

const std::vector<float> kTriangle = {0, 0, 0, 1, 0, 0, 0, 1, 0};

writers::GltfBuilder MorphGltf()
{
    writers::GltfBuilder b;
    tinygltf::Primitive primitive = b.Triangles(kTriangle, {0, 1, 2});
    primitive.targets.push_back({{"POSITION", b.Floats({0, 0, 1, 0, 0, 1, 0, 0, 1}, TINYGLTF_TYPE_VEC3)}});
    int node = b.Node("blob", b.Mesh("blob", {primitive}));
    b.Channel("rise", node, "weights", {0, 1, 2}, {0, 1, 0.5f});
    return b;
}

writers::GltfBuilder SkinnedGltf()
{
    writers::GltfBuilder b;
    tinygltf::Primitive primitive = b.Triangles(kTriangle, {0, 1, 2});
    primitive.attributes["JOINTS_0"] = b.Integers(std::vector<float>(12, 0), TINYGLTF_TYPE_VEC4,
                                                  TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE, false);
    primitive.attributes["WEIGHTS_0"] =
        b.Floats({1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0}, TINYGLTF_TYPE_VEC4);
    int root = b.Node("root"), hand = b.Node("hand", -1, root);
    int mesh = b.Node("body", b.Mesh("body", {primitive}));
    b.gltf.nodes[mesh].skin = 0;
    tinygltf::Skin skin;
    skin.joints = {root, hand};
    b.gltf.skins.push_back(skin);
    for (const char* method : {"LINEAR", "STEP", "CUBICSPLINE"}) {
        bool cubic = std::string(method) == "CUBICSPLINE";
        std::vector<float> values = cubic ? std::vector<float>{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0}
                                          : std::vector<float>{0, 0, 0, 2, 0, 0};
        b.Channel(method, root, "translation", {0, 2}, values, method);
        b.Channel(method, hand, "rotation", {0, 0.5f, 2}, {0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1});
    }
    return b;
}

writers::GltfBuilder NestedGltf()
{
    writers::GltfBuilder b;
    int top = b.Node("top");
    b.gltf.nodes[top].translation = {0, 1, 0};
    b.gltf.nodes[top].scale = {2, 2, 2};
    int turned = b.Node("turned", b.Mesh("t", {b.Triangles(kTriangle, {0, 1, 2})}), top);
    b.gltf.nodes[turned].rotation = {0, kHalf, 0, kHalf};
    int tag = b.Node("tag_top", -1, turned);
    b.gltf.nodes[tag].translation = {1, 0, 0};
    return b;
}

writers::GltfBuilder QuantizedGltf()
{
    writers::GltfBuilder b;
    tinygltf::Primitive primitive;
    primitive.mode = TINYGLTF_MODE_TRIANGLES;
    primitive.attributes["POSITION"] =
        b.Integers({0, 0, 0, 100, 0, 0, 0, 100, 0}, TINYGLTF_TYPE_VEC3, TINYGLTF_COMPONENT_TYPE_SHORT, false);
    primitive.attributes["TEXCOORD_0"] =
        b.Integers({0, 0, 1, 0, 0, 1}, TINYGLTF_TYPE_VEC2, TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE, true);
    primitive.targets.push_back({{"POSITION", b.Sparse(3, TINYGLTF_TYPE_VEC3, {2}, {0, 0, 50})}});
    int node = b.Node("q", b.Mesh("q", {primitive}, {"lifted"}));
    b.gltf.meshes[0].weights = {1};
    b.gltf.nodes[node].scale = {0.01, 0.01, 0.01};
    b.gltf.extensionsUsed = b.gltf.extensionsRequired = {"KHR_mesh_quantization"};
    return b;
}

