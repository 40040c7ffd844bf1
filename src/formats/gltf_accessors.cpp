// Reading a checked accessor: any component type, normalized or not, with
// its sparse values laid over.
#include <algorithm>
#include <cstring>

#include "formats/gltf.h"

namespace {

// One component at p as a float: normalized integers as their fractions
// (signed ones no lower than -1), others as their value.
float Component(const unsigned char* p, int type, bool normalized)
{
    switch (type) {
    case TINYGLTF_COMPONENT_TYPE_FLOAT: {
        float value;
        memcpy(&value, p, 4);
        return value;
    }
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE: return normalized ? p[0] / 255.0f : p[0];
    case TINYGLTF_COMPONENT_TYPE_BYTE: {
        float value = static_cast<int8_t>(p[0]);
        return normalized ? std::max(value / 127.0f, -1.0f) : value;
    }
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT: {
        float value = static_cast<float>(p[0] | p[1] << 8);
        return normalized ? value / 65535.0f : value;
    }
    case TINYGLTF_COMPONENT_TYPE_SHORT: {
        float value = static_cast<int16_t>(p[0] | p[1] << 8);
        return normalized ? std::max(value / 32767.0f, -1.0f) : value;
    }
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT: {
        uint32_t value;
        memcpy(&value, p, 4);
        return static_cast<float>(value);
    }
    default: return 0.0f;
    }
}

int SizeOf(int type)
{
    return type == TINYGLTF_COMPONENT_TYPE_BYTE || type == TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE     ? 1
           : type == TINYGLTF_COMPONENT_TYPE_SHORT || type == TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT ? 2
                                                                                                    : 4;
}

// count elements of n components from a view, stride apart, into out at each of the places.
void ReadElements(const tinygltf::Model& gltf, int viewIndex, size_t offset, size_t count, int n, int type,
                  bool normalized, const std::vector<uint32_t>* places, std::vector<float>& out)
{
    const tinygltf::BufferView& view = gltf.bufferViews[viewIndex];
    const unsigned char* base = gltf.buffers[view.buffer].data.data() + view.byteOffset + offset;
    size_t size = SizeOf(type), stride = view.byteStride && !places ? view.byteStride : size * n;
    for (size_t i = 0; i < count; ++i) {
        size_t at = places ? (*places)[i] : i;
        for (int c = 0; c < n; ++c)
            out[at * n + c] = Component(base + i * stride + c * size, type, normalized);
    }
}

// count unsigned whole numbers of a view, from offset.
std::vector<uint32_t> ReadWhole(const tinygltf::Model& gltf, int viewIndex, size_t offset, size_t count, int n, int type)
{
    const tinygltf::BufferView& view = gltf.bufferViews[viewIndex];
    const unsigned char* base = gltf.buffers[view.buffer].data.data() + view.byteOffset + offset;
    size_t size = SizeOf(type), stride = view.byteStride ? view.byteStride : size * n;
    std::vector<uint32_t> out;
    out.reserve(count * n);
    for (size_t i = 0; i < count; ++i) {
        for (int c = 0; c < n; ++c) {
            const unsigned char* p = base + i * stride + c * size;
            uint32_t value = p[0];
            if (size >= 2)
                value |= uint32_t(p[1]) << 8;
            if (size == 4)
                value |= uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
            out.push_back(value);
        }
    }
    return out;
}

}  // namespace

bool AccessorFloats(const tinygltf::Model& gltf, int index, int components, std::vector<float>& out)
{
    if (index < 0 || static_cast<size_t>(index) >= gltf.accessors.size())
        return false;
    const tinygltf::Accessor& accessor = gltf.accessors[index];
    int n = ComponentsOf(accessor);
    if (n != components)
        return false;
    out.assign(accessor.count * n, 0.0f);
    if (accessor.bufferView >= 0)
        ReadElements(gltf, accessor.bufferView, accessor.byteOffset, accessor.count, n, accessor.componentType,
                     accessor.normalized, nullptr, out);
    if (accessor.sparse.isSparse) {
        const auto& sparse = accessor.sparse;
        std::vector<uint32_t> at = ReadWhole(gltf, sparse.indices.bufferView, sparse.indices.byteOffset,
                                             sparse.count, 1, sparse.indices.componentType);
        ReadElements(gltf, sparse.values.bufferView, sparse.values.byteOffset, sparse.count, n,
                     accessor.componentType, accessor.normalized, &at, out);
    }
    return true;
}

bool AccessorInts(const tinygltf::Model& gltf, int index, std::vector<uint32_t>& out)
{
    if (index < 0 || static_cast<size_t>(index) >= gltf.accessors.size())
        return false;
    const tinygltf::Accessor& accessor = gltf.accessors[index];
    int type = accessor.componentType, n = ComponentsOf(accessor);
    if (type != TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE && type != TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT &&
        type != TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT)
        return false;
    out = accessor.bufferView >= 0 ? ReadWhole(gltf, accessor.bufferView, accessor.byteOffset, accessor.count, n, type)
                                   : std::vector<uint32_t>(accessor.count * n, 0);
    if (accessor.sparse.isSparse) {
        const auto& sparse = accessor.sparse;
        std::vector<uint32_t> at = ReadWhole(gltf, sparse.indices.bufferView, sparse.indices.byteOffset, sparse.count,
                                             1, sparse.indices.componentType);
        std::vector<uint32_t> values =
            ReadWhole(gltf, sparse.values.bufferView, sparse.values.byteOffset, sparse.count, n, type);
        for (size_t i = 0; i < at.size(); ++i)
            for (int c = 0; c < n; ++c)
                out[size_t(at[i]) * n + c] = values[i * n + c];
    }
    return true;
}

const tinygltf::Value& Member(const tinygltf::Value& value, const char* key)
{
    static const tinygltf::Value kNull;
    return value.IsObject() && value.Has(key) ? value.Get(key) : kNull;
}

const tinygltf::Value& Element(const tinygltf::Value& value, size_t index)
{
    static const tinygltf::Value kNull;
    return value.IsArray() && index < value.ArrayLen() ? value.Get(static_cast<int>(index)) : kNull;
}
