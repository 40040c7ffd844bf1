#include "formats/gltf_checks.h"

#include <cmath>
#include <vector>


namespace {

constexpr uint64_t kMaxElements = uint64_t(1) << 26;

int ComponentSize(int type)
{
    switch (type) {
    case TINYGLTF_COMPONENT_TYPE_BYTE:
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE: return 1;
    case TINYGLTF_COMPONENT_TYPE_SHORT:
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT: return 2;
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT:
    case TINYGLTF_COMPONENT_TYPE_FLOAT: return 4;
    default: return 0;
    }
}

class Checker {
public:
    Checker(const tinygltf::Model& gltf, Reports& reports) : gltf_(gltf), reports_(reports) {}

    bool All()
    {
        return Views() && Accessors() && Images() && Materials() && Meshes() && Nodes() && Skins() && Animations() &&
               Scenes();
    }

private:
    template <typename... Args>
    bool Fault(const char* format, Args... args)
    {
        AddReport(reports_, format, args...);
        return false;
    }

    template <typename T>
    bool In(int index, const std::vector<T>& list, bool optional = true) const
    {
        return (optional && index == -1) || (index >= 0 && static_cast<size_t>(index) < list.size());
    }

    bool Views()
    {
        for (size_t v = 0; v < gltf_.bufferViews.size(); ++v) {
            const tinygltf::BufferView& view = gltf_.bufferViews[v];
            if (!In(view.buffer, gltf_.buffers, false))
                return Fault("ReadGltf: buffer view %zu names buffer %d, of %zu", v, view.buffer, gltf_.buffers.size());
            uint64_t end = uint64_t(view.byteOffset) + view.byteLength;
            if (view.byteOffset > kMaxElements * 64 || end > gltf_.buffers[view.buffer].data.size())
                return Fault("ReadGltf: buffer view %zu (offset %zu, %zu bytes) runs past its buffer of %zu", v,
                             view.byteOffset, view.byteLength, gltf_.buffers[view.buffer].data.size());
            if (view.byteStride > 252)
                return Fault("ReadGltf: buffer view %zu has a stride of %zu", v, view.byteStride);
        }
        return true;
    }

    // count elements of size bytes each stride apart, from offset inside the view.
    bool Fits(int viewIndex, uint64_t offset, uint64_t count, uint64_t size, uint64_t stride)
    {
        const tinygltf::BufferView& view = gltf_.bufferViews[viewIndex];
        return count == 0 || offset + stride * (count - 1) + size <= view.byteLength;
    }

    bool Sparse(size_t a, const tinygltf::Accessor& accessor, uint64_t element)
    {
        const auto& sparse = accessor.sparse;
        if (sparse.count <= 0 || static_cast<size_t>(sparse.count) > accessor.count)
            return Fault("ReadGltf: accessor %zu's sparse count %d is not within its %zu", a, sparse.count,
                         accessor.count);
        int indexSize = ComponentSize(sparse.indices.componentType);
        if (!In(sparse.indices.bufferView, gltf_.bufferViews, false) ||
            !In(sparse.values.bufferView, gltf_.bufferViews, false) || indexSize == 0 ||
            sparse.indices.componentType == TINYGLTF_COMPONENT_TYPE_BYTE ||
            sparse.indices.componentType == TINYGLTF_COMPONENT_TYPE_SHORT ||
            !Fits(sparse.indices.bufferView, sparse.indices.byteOffset, sparse.count, indexSize, indexSize) ||
            !Fits(sparse.values.bufferView, sparse.values.byteOffset, sparse.count, element, element))
            return Fault("ReadGltf: accessor %zu's sparse indices or values lie outside their views", a);
        for (uint32_t index : SparseIndices(accessor))
            if (index >= accessor.count)
                return Fault("ReadGltf: accessor %zu's sparse index %u is past its %zu elements", a, index,
                             accessor.count);
        return true;
    }

    std::vector<uint32_t> SparseIndices(const tinygltf::Accessor& accessor) const
    {
        const auto& indices = accessor.sparse.indices;
        const tinygltf::BufferView& view = gltf_.bufferViews[indices.bufferView];
        const unsigned char* base = gltf_.buffers[view.buffer].data.data() + view.byteOffset + indices.byteOffset;
        int size = ComponentSize(indices.componentType);
        std::vector<uint32_t> out;
        for (int i = 0; i < accessor.sparse.count; ++i) {
            const unsigned char* p = base + size_t(i) * size;
            uint32_t value = p[0];
            if (size >= 2)
                value |= uint32_t(p[1]) << 8;
            if (size == 4)
                value |= uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
            out.push_back(value);
        }
        return out;
    }

    bool Accessors()
    {
        for (size_t a = 0; a < gltf_.accessors.size(); ++a) {
            const tinygltf::Accessor& accessor = gltf_.accessors[a];
            uint64_t size = ComponentSize(accessor.componentType), components = ComponentsOf(accessor);
            if (size == 0 || components == 0)
                return Fault("ReadGltf: accessor %zu has no type it can be read as", a);
            if (components > 4 && accessor.componentType != TINYGLTF_COMPONENT_TYPE_FLOAT)
                return Fault("ReadGltf: accessor %zu is a matrix of other than floats", a);
            if (accessor.count == 0 || accessor.count > kMaxElements)
                return Fault("ReadGltf: accessor %zu has %zu elements", a, accessor.count);
            uint64_t element = size * components;
            if (!In(accessor.bufferView, gltf_.bufferViews))
                return Fault("ReadGltf: accessor %zu names buffer view %d, of %zu", a, accessor.bufferView,
                             gltf_.bufferViews.size());
            if (accessor.bufferView >= 0) {
                const tinygltf::BufferView& view = gltf_.bufferViews[accessor.bufferView];
                uint64_t stride = view.byteStride ? view.byteStride : element;
                if (stride < element)
                    return Fault("ReadGltf: accessor %zu's stride of %llu is smaller than its element of %llu", a,
                                 static_cast<unsigned long long>(stride), static_cast<unsigned long long>(element));
                if (accessor.byteOffset > view.byteLength ||
                    !Fits(accessor.bufferView, accessor.byteOffset, accessor.count, element, stride))
                    return Fault("ReadGltf: accessor %zu (offset %zu, %zu elements) runs past its buffer view of "
                                 "%zu bytes", a, accessor.byteOffset, accessor.count, view.byteLength);
            }
            if (accessor.sparse.isSparse && !Sparse(a, accessor, element))
                return false;
        }
        return true;
    }

    bool Images()
    {
        for (size_t i = 0; i < gltf_.images.size(); ++i)
            if (!In(gltf_.images[i].bufferView, gltf_.bufferViews))
                return Fault("ReadGltf: image %zu names buffer view %d", i, gltf_.images[i].bufferView);
        for (size_t t = 0; t < gltf_.textures.size(); ++t)
            if (!In(gltf_.textures[t].source, gltf_.images) || !In(gltf_.textures[t].sampler, gltf_.samplers))
                return Fault("ReadGltf: texture %zu names an image or sampler it does not have", t);
        return true;
    }

    bool Materials()
    {
        for (size_t m = 0; m < gltf_.materials.size(); ++m) {
            const tinygltf::Material& material = gltf_.materials[m];
            for (int texture : {material.pbrMetallicRoughness.baseColorTexture.index, material.emissiveTexture.index,
                                material.normalTexture.index, material.occlusionTexture.index,
                                material.pbrMetallicRoughness.metallicRoughnessTexture.index})
                if (!In(texture, gltf_.textures))
                    return Fault("ReadGltf: material %zu names texture %d, of %zu", m, texture,
                                 gltf_.textures.size());
        }
        return true;
    }

    bool Meshes()
    {
        for (size_t m = 0; m < gltf_.meshes.size(); ++m) {
            for (const tinygltf::Primitive& primitive : gltf_.meshes[m].primitives) {
                bool fine = In(primitive.indices, gltf_.accessors) && In(primitive.material, gltf_.materials) &&
                            primitive.mode >= 0 && primitive.mode <= TINYGLTF_MODE_TRIANGLE_FAN &&
                            primitive.attributes.count("POSITION");
                for (const auto& attribute : primitive.attributes)
                    fine = fine && In(attribute.second, gltf_.accessors, false);
                for (const auto& target : primitive.targets)
                    for (const auto& attribute : target)
                        fine = fine && In(attribute.second, gltf_.accessors, false);
                if (!fine)
                    return Fault("ReadGltf: a primitive of mesh %zu names an accessor, material or mode it does not "
                                 "have, or no positions", m);
            }
        }
        return true;
    }

    static bool Finite(const std::vector<double>& values)
    {
        for (double value : values)
            if (!std::isfinite(value))
                return false;
        return true;
    }

    bool Nodes()
    {
        std::vector<int> parent(gltf_.nodes.size(), -1);
        for (size_t n = 0; n < gltf_.nodes.size(); ++n) {
            const tinygltf::Node& node = gltf_.nodes[n];
            if (!In(node.mesh, gltf_.meshes) || !In(node.skin, gltf_.skins))
                return Fault("ReadGltf: node %zu names a mesh or skin it does not have", n);
            bool shaped = (node.matrix.empty() || node.matrix.size() == 16) &&
                          (node.translation.empty() || node.translation.size() == 3) &&
                          (node.rotation.empty() || node.rotation.size() == 4) &&
                          (node.scale.empty() || node.scale.size() == 3);
            if (!shaped || !Finite(node.matrix) || !Finite(node.translation) || !Finite(node.rotation) ||
                !Finite(node.scale))
                return Fault("ReadGltf: node %zu has a transform that is not one", n);
            for (int child : node.children) {
                if (!In(child, gltf_.nodes, false) || parent[child] != -1 || child == static_cast<int>(n))
                    return Fault("ReadGltf: node %zu has a child (%d) that is none, or another's", n, child);
                parent[child] = static_cast<int>(n);
            }
        }
        for (size_t n = 0; n < gltf_.nodes.size(); ++n) {
            size_t steps = 0;
            for (int at = parent[n]; at >= 0; at = parent[at])
                if (++steps > gltf_.nodes.size() || at == static_cast<int>(n))
                    return Fault("ReadGltf: node %zu is its own ancestor", n);
        }
        return true;
    }

    bool Skins()
    {
        for (size_t s = 0; s < gltf_.skins.size(); ++s) {
            const tinygltf::Skin& skin = gltf_.skins[s];
            if (skin.joints.empty() || skin.joints.size() > 65535 || !In(skin.skeleton, gltf_.nodes))
                return Fault("ReadGltf: skin %zu has %zu joints", s, skin.joints.size());
            for (int joint : skin.joints)
                if (!In(joint, gltf_.nodes, false))
                    return Fault("ReadGltf: skin %zu names node %d, of %zu", s, joint, gltf_.nodes.size());
            if (skin.inverseBindMatrices >= 0) {
                if (!In(skin.inverseBindMatrices, gltf_.accessors, false))
                    return Fault("ReadGltf: skin %zu names accessor %d", s, skin.inverseBindMatrices);
                const tinygltf::Accessor& matrices = gltf_.accessors[skin.inverseBindMatrices];
                if (matrices.type != TINYGLTF_TYPE_MAT4 || matrices.count < skin.joints.size())
                    return Fault("ReadGltf: skin %zu's inverse bind matrices are not one a joint", s);
            }
        }
        return true;
    }

    bool Animations()
    {
        for (size_t a = 0; a < gltf_.animations.size(); ++a) {
            const tinygltf::Animation& animation = gltf_.animations[a];
            for (const tinygltf::AnimationSampler& sampler : animation.samplers) {
                bool fine = In(sampler.input, gltf_.accessors, false) && In(sampler.output, gltf_.accessors, false) &&
                            (sampler.interpolation == "LINEAR" || sampler.interpolation == "STEP" ||
                             sampler.interpolation == "CUBICSPLINE");
                if (fine) {
                    const tinygltf::Accessor& input = gltf_.accessors[sampler.input];
                    fine = input.type == TINYGLTF_TYPE_SCALAR && input.componentType == TINYGLTF_COMPONENT_TYPE_FLOAT;
                }
                if (!fine)
                    return Fault("ReadGltf: a sampler of animation %zu has no key times, values or interpolation it "
                                 "can be read by", a);
            }
            for (const tinygltf::AnimationChannel& channel : animation.channels)
                if (!In(channel.sampler, animation.samplers, false) || !In(channel.target_node, gltf_.nodes))
                    return Fault("ReadGltf: a channel of animation %zu names a sampler or node it does not have", a);
        }
        return true;
    }

    bool Scenes()
    {
        if (!In(gltf_.defaultScene, gltf_.scenes))
            return Fault("ReadGltf: the default scene %d is none of the %zu", gltf_.defaultScene, gltf_.scenes.size());
        for (size_t s = 0; s < gltf_.scenes.size(); ++s)
            for (int node : gltf_.scenes[s].nodes)
                if (!In(node, gltf_.nodes, false))
                    return Fault("ReadGltf: scene %zu names node %d, of %zu", s, node, gltf_.nodes.size());
        return true;
    }

    const tinygltf::Model& gltf_;
    Reports& reports_;
};

}  // namespace

int ComponentsOf(const tinygltf::Accessor& accessor)
{
    switch (accessor.type) {
    case TINYGLTF_TYPE_SCALAR: return 1;
    case TINYGLTF_TYPE_VEC2: return 2;
    case TINYGLTF_TYPE_VEC3: return 3;
    case TINYGLTF_TYPE_VEC4: return 4;
    case TINYGLTF_TYPE_MAT2: return 4;
    case TINYGLTF_TYPE_MAT3: return 9;
    case TINYGLTF_TYPE_MAT4: return 16;
    default: return 0;
    }
}

bool CheckGltf(const tinygltf::Model& gltf, Reports& reports)
{
    return Checker(gltf, reports).All();
}
