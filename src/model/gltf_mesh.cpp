// A glTF mesh's primitives read into plain arrays, every count and index
// checked against the others.
#include <algorithm>

#include "model/gltf_model.h"

namespace {

bool Attribute(const tinygltf::Model& gltf, const tinygltf::Primitive& primitive, const char* name, int components,
               size_t count, std::vector<float>& out)
{
    auto found = primitive.attributes.find(name);
    if (found == primitive.attributes.end())
        return true;
    return AccessorFloats(gltf, found->second, components, out) && out.size() == count * components;
}

// The triangles of a list, strip or fan, each in its drawing order.
bool Triangles(const tinygltf::Model& gltf, const tinygltf::Primitive& primitive, size_t count,
               std::vector<uint32_t>& out)
{
    std::vector<uint32_t> indices;
    if (primitive.indices >= 0) {
        if (!AccessorInts(gltf, primitive.indices, indices))
            return false;
    } else {
        indices.resize(count);
        for (size_t i = 0; i < count; ++i)
            indices[i] = static_cast<uint32_t>(i);
    }
    if (std::any_of(indices.begin(), indices.end(), [count](uint32_t i) { return i >= count; }))
        return false;
    out.clear();
    if (primitive.mode == TINYGLTF_MODE_TRIANGLES) {
        out.assign(indices.begin(), indices.begin() + indices.size() / 3 * 3);
        return true;
    }
    for (size_t k = 2; k < indices.size(); ++k) {
        bool fan = primitive.mode == TINYGLTF_MODE_TRIANGLE_FAN, odd = k % 2 == 1;
        uint32_t a = fan ? indices[0] : indices[k - 2], b = indices[k - 1], c = indices[k];
        if (!fan && odd)
            std::swap(a, b);  // a strip's odd triangles keep the winding of the first
        out.insert(out.end(), {a, b, c});
    }
    return true;
}

// An accessor of count elements of that many floats.
bool Fits(const tinygltf::Model& gltf, int index, int components, size_t count)
{
    return index >= 0 && static_cast<size_t>(index) < gltf.accessors.size() &&
           ComponentsOf(gltf.accessors[index]) == components && gltf.accessors[index].count == count;
}

bool ReadOne(const tinygltf::Model& gltf, const tinygltf::Primitive& primitive, GltfPrimitive& out)
{
    if (!AccessorFloats(gltf, primitive.attributes.at("POSITION"), 3, out.positions))
        return false;
    size_t count = out.Count();
    std::vector<float> joints;
    if (!Attribute(gltf, primitive, "NORMAL", 3, count, out.normals) ||
        !Attribute(gltf, primitive, "TEXCOORD_0", 2, count, out.texCoords) ||
        !Attribute(gltf, primitive, "WEIGHTS_0", 4, count, out.weights) ||
        !Triangles(gltf, primitive, count, out.triangles))
        return false;
    auto found = primitive.attributes.find("JOINTS_0");
    if (found != primitive.attributes.end() && (!AccessorInts(gltf, found->second, out.joints) ||
                                                out.joints.size() != 4 * count))
        return false;
    if (out.joints.empty() != out.weights.empty())
        out.joints.clear(), out.weights.clear();
    // Targets are read frame by frame as they are baked: a thousand of them
    // would double what the model holds.
    for (const auto& target : primitive.targets) {
        int accessors[2] = {-1, -1};
        const char* names[2] = {"POSITION", "NORMAL"};
        for (int a = 0; a < 2; ++a) {
            auto found = target.find(names[a]);
            if (found == target.end())
                continue;
            if (!Fits(gltf, found->second, 3, count))
                return false;
            accessors[a] = found->second;
        }
        out.targetPositions.push_back(accessors[0]);
        out.targetNormals.push_back(accessors[1]);
    }
    out.material = primitive.material;
    return true;
}

}  // namespace

std::vector<int> SceneNodes(const tinygltf::Model& gltf)
{
    std::vector<int> roots;
    if (!gltf.scenes.empty())
        roots = gltf.scenes[gltf.defaultScene >= 0 ? gltf.defaultScene : 0].nodes;
    else {
        std::vector<char> child(gltf.nodes.size(), 0);
        for (const tinygltf::Node& node : gltf.nodes)
            for (int c : node.children)
                child[c] = 1;
        for (size_t n = 0; n < gltf.nodes.size(); ++n)
            if (!child[n])
                roots.push_back(static_cast<int>(n));
    }
    std::vector<int> order;
    std::vector<char> seen(gltf.nodes.size(), 0);
    for (size_t at = 0; at < roots.size(); ++at) {
        std::vector<int> stack = {roots[at]};
        while (!stack.empty()) {
            int node = stack.back();
            stack.pop_back();
            if (seen[node])
                continue;
            seen[node] = 1;
            order.push_back(node);
            const std::vector<int>& children = gltf.nodes[node].children;
            stack.insert(stack.end(), children.rbegin(), children.rend());
        }
    }
    return order;
}

bool ReadPrimitives(const tinygltf::Model& gltf, std::vector<GltfPrimitive>& primitives, Reports& reports)
{
    primitives.clear();
    int leftOut = 0;
    for (int node : SceneNodes(gltf)) {
        int mesh = gltf.nodes[node].mesh;
        if (mesh < 0)
            continue;
        const std::vector<tinygltf::Primitive>& list = gltf.meshes[mesh].primitives;
        for (size_t p = 0; p < list.size(); ++p) {
            GltfPrimitive primitive;
            primitive.node = node;
            primitive.index = p;
            std::string name = gltf.meshes[mesh].name.empty() ? gltf.nodes[node].name : gltf.meshes[mesh].name;
            primitive.name = list.size() > 1 ? name + "_" + std::to_string(p) : name;
            int mode = list[p].mode < 0 ? TINYGLTF_MODE_TRIANGLES : list[p].mode;
            if (mode != TINYGLTF_MODE_TRIANGLES && mode != TINYGLTF_MODE_TRIANGLE_STRIP &&
                mode != TINYGLTF_MODE_TRIANGLE_FAN) {
                ++leftOut;
                continue;
            }
            tinygltf::Primitive copy = list[p];
            copy.mode = mode;
            if (!ReadOne(gltf, copy, primitive)) {
                AddReport(reports, "ReadGltf: a primitive of mesh %d has attributes or indices that do not agree "
                          "with its %zu vertices", mesh, primitive.Count());
                return false;
            }
            primitives.push_back(std::move(primitive));
        }
    }
    if (leftOut)
        AddReport(reports, "ReadGltf: %d primitives of points or lines are left out", leftOut);
    return true;
}
