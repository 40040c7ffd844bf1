#include "gltf_writers.h"

#include <cmath>
#include <cstring>
#include <sstream>

namespace writers {

namespace {

int Components(int type)
{
    switch (type) {
    case TINYGLTF_TYPE_SCALAR: return 1;
    case TINYGLTF_TYPE_VEC2: return 2;
    case TINYGLTF_TYPE_VEC3: return 3;
    case TINYGLTF_TYPE_VEC4: return 4;
    case TINYGLTF_TYPE_MAT4: return 16;
    default: return 1;
    }
}

int Size(int componentType)
{
    switch (componentType) {
    case TINYGLTF_COMPONENT_TYPE_BYTE:
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE: return 1;
    case TINYGLTF_COMPONENT_TYPE_SHORT:
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT: return 2;
    default: return 4;
    }
}

std::string Base64(const std::vector<uint8_t>& bytes)
{
    static const char table[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        size_t left = bytes.size() - i;
        uint32_t n = uint32_t(bytes[i]) << 16 | (left > 1 ? uint32_t(bytes[i + 1]) << 8 : 0) |
                     (left > 2 ? bytes[i + 2] : 0);
        out += table[n >> 18 & 63];
        out += table[n >> 12 & 63];
        out += left > 1 ? table[n >> 6 & 63] : '=';
        out += left > 2 ? table[n & 63] : '=';
    }
    return out;
}

}  // namespace

GltfBuilder::GltfBuilder()
{
    gltf.asset.version = "2.0";
    gltf.buffers.resize(1);
    gltf.scenes.resize(1);
    gltf.defaultScene = 0;
}

int GltfBuilder::View(const void* data, size_t size, size_t stride)
{
    std::vector<unsigned char>& buffer = gltf.buffers[0].data;
    buffer.resize((buffer.size() + 3) & ~size_t(3));
    tinygltf::BufferView view;
    view.buffer = 0;
    view.byteOffset = buffer.size();
    view.byteLength = size;
    view.byteStride = stride;
    buffer.insert(buffer.end(), static_cast<const unsigned char*>(data), static_cast<const unsigned char*>(data) + size);
    gltf.bufferViews.push_back(view);
    return static_cast<int>(gltf.bufferViews.size() - 1);
}

int GltfBuilder::Floats(const std::vector<float>& values, int type)
{
    tinygltf::Accessor accessor;
    accessor.bufferView = View(values.data(), values.size() * 4);
    accessor.componentType = TINYGLTF_COMPONENT_TYPE_FLOAT;
    accessor.type = type;
    accessor.count = values.size() / Components(type);
    if (type == TINYGLTF_TYPE_VEC3 && accessor.count) {  // positions need their bounds
        accessor.minValues.assign(3, 1e30), accessor.maxValues.assign(3, -1e30);
        for (size_t i = 0; i < values.size(); ++i) {
            accessor.minValues[i % 3] = std::fmin(accessor.minValues[i % 3], values[i]);
            accessor.maxValues[i % 3] = std::fmax(accessor.maxValues[i % 3], values[i]);
        }
    }
    gltf.accessors.push_back(accessor);
    return static_cast<int>(gltf.accessors.size() - 1);
}

int GltfBuilder::Integers(const std::vector<float>& values, int type, int componentType, bool normalized)
{
    int size = Size(componentType);
    bool isSigned = componentType == TINYGLTF_COMPONENT_TYPE_BYTE || componentType == TINYGLTF_COMPONENT_TYPE_SHORT;
    double range = size == 1 ? (isSigned ? 127 : 255) : size == 2 ? (isSigned ? 32767 : 65535) : 1;
    std::vector<uint8_t> bytes;
    for (float value : values) {
        long long whole = std::llround(normalized ? value * range : value);
        for (int b = 0; b < size; ++b)
            bytes.push_back(static_cast<uint8_t>(whole >> (8 * b)));
    }
    // Vertex attributes keep their elements four bytes apart.
    size_t element = size_t(size) * Components(type), stride = (element + 3) & ~size_t(3);
    std::vector<uint8_t> strided(stride * (values.size() / Components(type)), 0);
    for (size_t e = 0; e < values.size() / Components(type); ++e)
        memcpy(&strided[e * stride], &bytes[e * element], element);
    tinygltf::Accessor accessor;
    accessor.bufferView = View(strided.data(), strided.size(), stride != element ? stride : 0);
    accessor.componentType = componentType;
    accessor.normalized = normalized;
    accessor.type = type;
    accessor.count = values.size() / Components(type);
    gltf.accessors.push_back(accessor);
    return static_cast<int>(gltf.accessors.size() - 1);
}

int GltfBuilder::Sparse(size_t count, int type, const std::vector<uint32_t>& places, const std::vector<float>& values)
{
    tinygltf::Accessor accessor;
    accessor.componentType = TINYGLTF_COMPONENT_TYPE_FLOAT;
    accessor.type = type;
    accessor.count = count;
    accessor.sparse.isSparse = true;
    accessor.sparse.count = static_cast<int>(places.size());
    accessor.sparse.indices.bufferView = View(places.data(), places.size() * 4);
    accessor.sparse.indices.componentType = TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT;
    accessor.sparse.values.bufferView = View(values.data(), values.size() * 4);
    // tinygltf leaves these unset and writes whatever they hold
    accessor.sparse.indices.byteOffset = 0;
    accessor.sparse.values.byteOffset = 0;
    gltf.accessors.push_back(accessor);
    return static_cast<int>(gltf.accessors.size() - 1);
}

int GltfBuilder::Indices(const std::vector<uint32_t>& indices)
{
    tinygltf::Accessor accessor;
    accessor.bufferView = View(indices.data(), indices.size() * 4);
    accessor.componentType = TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT;
    accessor.type = TINYGLTF_TYPE_SCALAR;
    accessor.count = indices.size();
    gltf.accessors.push_back(accessor);
    return static_cast<int>(gltf.accessors.size() - 1);
}

tinygltf::Primitive GltfBuilder::Triangles(const std::vector<float>& positions, const std::vector<uint32_t>& indices,
                                           const std::vector<float>& texCoords, int material)
{
    tinygltf::Primitive primitive;
    primitive.mode = TINYGLTF_MODE_TRIANGLES;
    primitive.attributes["POSITION"] = Floats(positions, TINYGLTF_TYPE_VEC3);
    if (!texCoords.empty())
        primitive.attributes["TEXCOORD_0"] = Floats(texCoords, TINYGLTF_TYPE_VEC2);
    if (!indices.empty())
        primitive.indices = Indices(indices);
    primitive.material = material;
    return primitive;
}

int GltfBuilder::Mesh(const std::string& name, const std::vector<tinygltf::Primitive>& primitives,
                      const std::vector<std::string>& targetNames)
{
    tinygltf::Mesh mesh;
    mesh.name = name;
    mesh.primitives = primitives;
    if (!targetNames.empty()) {
        tinygltf::Value::Array names;
        for (const std::string& target : targetNames)
            names.push_back(tinygltf::Value(target));
        tinygltf::Value::Object extras;
        extras["targetNames"] = tinygltf::Value(names);
        mesh.extras = tinygltf::Value(extras);
        mesh.weights.assign(targetNames.size(), 0.0);
    }
    gltf.meshes.push_back(mesh);
    return static_cast<int>(gltf.meshes.size() - 1);
}

int GltfBuilder::Node(const std::string& name, int mesh, int parent)
{
    tinygltf::Node node;
    node.name = name;
    node.mesh = mesh;
    gltf.nodes.push_back(node);
    int index = static_cast<int>(gltf.nodes.size() - 1);
    if (parent >= 0)
        gltf.nodes[parent].children.push_back(index);
    else
        gltf.scenes[0].nodes.push_back(index);
    return index;
}

int GltfBuilder::Material(const std::string& name, const std::vector<double>& colour, const std::vector<uint8_t>& png,
                          const std::string& where)
{
    tinygltf::Material material;
    material.name = name;
    material.pbrMetallicRoughness.baseColorFactor = colour;
    if (!png.empty()) {
        tinygltf::Image image;
        image.mimeType = "image/png";
        if (where == "buffer") {
            image.bufferView = View(png.data(), png.size());
        } else if (where == "data") {
            image.uri = "data:image/png;base64," + Base64(png);
        } else {
            image.uri = where;  // a file the caller writes beside
        }
        gltf.images.push_back(image);
        tinygltf::Texture texture;
        texture.source = static_cast<int>(gltf.images.size() - 1);
        gltf.textures.push_back(texture);
        material.pbrMetallicRoughness.baseColorTexture.index = static_cast<int>(gltf.textures.size() - 1);
    }
    gltf.materials.push_back(material);
    return static_cast<int>(gltf.materials.size() - 1);
}

void GltfBuilder::Channel(const std::string& animation, int node, const std::string& path,
                          const std::vector<float>& times, const std::vector<float>& values,
                          const std::string& interpolation)
{
    tinygltf::Animation* target = nullptr;
    for (tinygltf::Animation& a : gltf.animations)
        if (a.name == animation)
            target = &a;
    if (!target) {
        gltf.animations.emplace_back();
        target = &gltf.animations.back();
        target->name = animation;
    }
    tinygltf::AnimationSampler sampler;
    sampler.input = Floats(times, TINYGLTF_TYPE_SCALAR);
    int type = path == "rotation" ? TINYGLTF_TYPE_VEC4 : path == "weights" ? TINYGLTF_TYPE_SCALAR : TINYGLTF_TYPE_VEC3;
    sampler.output = Floats(values, type);
    sampler.interpolation = interpolation;
    gltf.accessors[sampler.input].minValues = {times.front()};
    gltf.accessors[sampler.input].maxValues = {times.back()};
    target->samplers.push_back(sampler);
    tinygltf::AnimationChannel channel;
    channel.sampler = static_cast<int>(target->samplers.size() - 1);
    channel.target_node = node;
    channel.target_path = path;
    target->channels.push_back(channel);
}

namespace {

// Images keep the URI the test gave them; tinygltf would re-encode pixels.
bool KeepUri(const std::string*, const std::string*, const tinygltf::Image* image, bool, std::string* uri, void*)
{
    *uri = image->uri;
    return true;
}

std::string Written(tinygltf::Model& gltf, bool binary)
{
    std::ostringstream out;
    tinygltf::TinyGLTF writer;
    writer.SetImageWriter(KeepUri, nullptr);
    writer.WriteGltfSceneToStream(&gltf, out, true, binary);  // buffers embedded
    return out.str();
}

}  // namespace

std::vector<uint8_t> GltfBuilder::Glb()
{
    std::string text = Written(gltf, true);
    return std::vector<uint8_t>(text.begin(), text.end());
}

std::string GltfBuilder::Json(const std::string& bufferFile)
{
    std::string text = Written(gltf, false);
    const std::string embedded = "data:application/octet-stream;base64,";
    size_t at = text.find(embedded);
    if (!bufferFile.empty() && at != std::string::npos)
        text.replace(at, text.find('"', at) - at, bufferFile);
    return text;
}

}  // namespace writers
