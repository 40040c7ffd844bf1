#pragma once

// The pieces of a glTF file the exports share: the one buffer, a model's
// mesh with its frames as morph targets, its materials, and animations of
// morph weights.
#include <sys/mman.h>
#include <tiny_gltf.h>

#include <string>
#include <vector>

#include "export/export_mesh.h"
#include "export/export_model.h"
#include "model/model.h"

inline constexpr int kFloat = TINYGLTF_COMPONENT_TYPE_FLOAT;
inline constexpr int kArrayBuffer = TINYGLTF_TARGET_ARRAY_BUFFER;
inline constexpr int kIndexBuffer = TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER;

// The one buffer, filled view by view.
class BufferWriter {
public:
    explicit BufferWriter(tinygltf::Model& gltf) : gltf_(gltf) { gltf_.buffers.resize(1); }

    // Room for the whole buffer at once, in large pages where the system has
    // them: a big model's tens of megabytes would otherwise fault in a page
    // at a time.
    void Reserve(size_t bytes)
    {
        std::vector<unsigned char>& buffer = gltf_.buffers[0].data;
        buffer.reserve(bytes);
        const size_t page = 4096;
        uintptr_t start = (reinterpret_cast<uintptr_t>(buffer.data()) + page - 1) & ~(page - 1);
        uintptr_t end = (reinterpret_cast<uintptr_t>(buffer.data()) + buffer.capacity()) & ~(page - 1);
        if (end > start)
            madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
    }

    int View(const void* data, size_t bytes, int target)
    {
        std::vector<unsigned char>& buffer = gltf_.buffers[0].data;
        buffer.resize((buffer.size() + 3) & ~size_t(3));  // every view starts on a 4-byte boundary
        tinygltf::BufferView view;
        view.buffer = 0;
        view.byteOffset = buffer.size();
        view.byteLength = bytes;
        view.target = target;
        const auto* bytesIn = static_cast<const unsigned char*>(data);
        buffer.insert(buffer.end(), bytesIn, bytesIn + bytes);
        gltf_.bufferViews.push_back(view);
        return static_cast<int>(gltf_.bufferViews.size() - 1);
    }

    // An accessor of count elements of type (VEC3, SCALAR...) over the values.
    int Accessor(const std::vector<float>& values, int type, int components, int target, bool bounds)
    {
        tinygltf::Accessor accessor;
        accessor.bufferView = View(values.data(), values.size() * sizeof(float), target);
        accessor.componentType = kFloat;
        accessor.count = values.size() / components;
        accessor.type = type;
        if (bounds)
            Bounds(values, components, accessor.minValues, accessor.maxValues);
        gltf_.accessors.push_back(accessor);
        return static_cast<int>(gltf_.accessors.size() - 1);
    }

    // Weights that show one target at each of count keys, target first + k
    // at key k: zeros but for count ones, so a sparse accessor holds them.
    int OneHotWeights(size_t count, size_t targets, size_t first)
    {
        std::vector<uint32_t> ones(count);
        for (size_t k = 0; k < count; ++k)
            ones[k] = static_cast<uint32_t>(k * targets + first + k);
        std::vector<float> values(count, 1.0f);
        tinygltf::Accessor accessor;
        accessor.componentType = kFloat;
        accessor.count = count * targets;
        accessor.type = TINYGLTF_TYPE_SCALAR;
        accessor.sparse.isSparse = true;
        accessor.sparse.count = static_cast<int>(count);
        accessor.sparse.indices.bufferView = View(ones.data(), ones.size() * sizeof(uint32_t), 0);
        accessor.sparse.indices.byteOffset = 0;
        accessor.sparse.indices.componentType = TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT;
        accessor.sparse.values.bufferView = View(values.data(), values.size() * sizeof(float), 0);
        accessor.sparse.values.byteOffset = 0;
        gltf_.accessors.push_back(accessor);
        return static_cast<int>(gltf_.accessors.size() - 1);
    }

    // Four joint numbers a vertex, as JOINTS_0 takes them.
    int Joints(const std::vector<uint16_t>& joints)
    {
        tinygltf::Accessor accessor;
        accessor.bufferView = View(joints.data(), joints.size() * sizeof(uint16_t), kArrayBuffer);
        accessor.componentType = TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT;
        accessor.count = joints.size() / 4;
        accessor.type = TINYGLTF_TYPE_VEC4;
        gltf_.accessors.push_back(accessor);
        return static_cast<int>(gltf_.accessors.size() - 1);
    }

    int Indices(const std::vector<uint32_t>& indices)
    {
        tinygltf::Accessor accessor;
        accessor.bufferView = View(indices.data(), indices.size() * sizeof(uint32_t), kIndexBuffer);
        accessor.componentType = TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT;
        accessor.count = indices.size();
        accessor.type = TINYGLTF_TYPE_SCALAR;
        gltf_.accessors.push_back(accessor);
        return static_cast<int>(gltf_.accessors.size() - 1);
    }

private:
    static void Bounds(const std::vector<float>& values, int components, std::vector<double>& low,
                       std::vector<double>& high)
    {
        low.assign(components, values.empty() ? 0.0 : 1e300);
        high.assign(components, values.empty() ? 0.0 : -1e300);
        for (size_t i = 0; i < values.size(); ++i) {
            low[i % components] = std::min(low[i % components], double(values[i]));
            high[i % components] = std::max(high[i % components], double(values[i]));
        }
    }
    tinygltf::Model& gltf_;
};

// One part's primitive: the first exported frame is the base, every exported frame a target.
tinygltf::Primitive MeshPrimitive(const ModelObject& model, const ExportMesh& mesh, int part, BufferWriter& buffer);

// An animation of the weights of node's mesh that shows one target at each
// key: frames first to first + count - 1, at their times from the first.
void AddAnimation(tinygltf::Model& gltf, BufferWriter& buffer, const std::string& name,
                  const std::vector<float>& times, size_t first, size_t count, size_t targets, bool step,
                  int node = 0);

// A tag where the viewer uses it (its axes unit and square) as a glTF
// translation and rotation: Quake's x, y, z are glTF's z, x, y.
void TagTransform(const TagPlace& tag, float scale, double translation[3], double rotation[4]);
// The model's tags as nodes named after them, children of parent, placed as
// at the frame; their indices. Empty when the model has none.
std::vector<int> AddTagNodes(tinygltf::Model& gltf, const ModelObject& model, int parent, int frame, float scale);
// Channels moving the tag nodes to their places at the frames, keyed at
// the input accessor's times.
void AddTagChannels(tinygltf::Animation& animation, BufferWriter& buffer, const ModelObject& model,
                    const std::vector<int>& nodes, const std::vector<int>& frames, int input, float scale, bool step);


// The model's pictures as images and textures, and its materials, after
// those already in gltf; each primitive wears what the shown skin gives it,
// and, where variantOf is given (the file's variant of each skin), every
// skin is a variant.
bool AddMaterials(tinygltf::Model& gltf, const ModelObject& model, const ExportMesh& mesh, int shown,
                  BufferWriter& buffer, std::vector<tinygltf::Primitive>& primitives,
                  const std::vector<int>& variantOf, std::string& error);

// The file's variants, one a name.
void AddVariants(tinygltf::Model& gltf, const std::vector<std::string>& names);

// One model's materials as AddMaterials makes them, each of its skins a
// variant when it has more than one.
bool AddModelMaterials(tinygltf::Model& gltf, const ModelObject& model, const ExportMesh& mesh, int shown,
                       BufferWriter& buffer, std::vector<tinygltf::Primitive>& primitives, std::string& error);

// The scene of the root nodes, written whole under a temporary name and
// moved into place; false, with the fault in error, and no file.
bool SaveGltf(tinygltf::Model& gltf, const std::vector<int>& roots, const std::string& sceneName,
              const ExportRequest& request, bool binary, std::string& error);
