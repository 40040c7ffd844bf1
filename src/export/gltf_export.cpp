// glTF 2.0 through tinygltf: one mesh whose morph targets are the frames,
// an animation of the morph weights per frame sequence and one over all,
// and the skins as PNG textures, further skins as material variants.
#include <tiny_gltf.h>

#include <algorithm>
#include <cstring>

#include "export/export_mesh.h"
#include "export/export_model.h"
#include "export/shader_materials.h"
#include "formats/png_writer.h"
#include "platform/atomic_file.h"

namespace {

constexpr int kFloat = TINYGLTF_COMPONENT_TYPE_FLOAT;
constexpr int kArrayBuffer = TINYGLTF_TARGET_ARRAY_BUFFER;
constexpr int kIndexBuffer = TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER;

// The one buffer, filled view by view.
class BufferWriter {
public:
    explicit BufferWriter(tinygltf::Model& gltf) : gltf_(gltf) { gltf_.buffers.resize(1); }

    void Reserve(size_t bytes) { gltf_.buffers[0].data.reserve(bytes); }

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

// a - base, in place.
std::vector<float>& Subtract(std::vector<float>& a, const std::vector<float>& base)
{
    for (size_t i = 0; i < a.size(); ++i)
        a[i] -= base[i];
    return a;
}

// One part's primitive: the first exported frame is the base, every exported frame a target.
tinygltf::Primitive MeshPrimitive(const ModelObject& model, const ExportMesh& mesh, int part, BufferWriter& buffer)
{
    const ExportPart& exported = mesh.parts[part];
    tinygltf::Primitive primitive;
    primitive.mode = TINYGLTF_MODE_TRIANGLES;
    std::vector<float> base, baseNormals, positions, normals;
    ExportFrame(model, mesh, part, mesh.frames[0], base, baseNormals);
    primitive.attributes["POSITION"] = buffer.Accessor(base, TINYGLTF_TYPE_VEC3, 3, kArrayBuffer, true);
    primitive.attributes["NORMAL"] = buffer.Accessor(baseNormals, TINYGLTF_TYPE_VEC3, 3, kArrayBuffer, false);
    primitive.attributes["TEXCOORD_0"] =
        buffer.Accessor(exported.layout->texCoords, TINYGLTF_TYPE_VEC2, 2, kArrayBuffer, false);
    primitive.indices = buffer.Indices(exported.indices);
    for (int frame : mesh.frames) {
        ExportFrame(model, mesh, part, frame, positions, normals);
        std::map<std::string, int> target;
        target["POSITION"] = buffer.Accessor(Subtract(positions, base), TINYGLTF_TYPE_VEC3, 3, kArrayBuffer, true);
        target["NORMAL"] = buffer.Accessor(Subtract(normals, baseNormals), TINYGLTF_TYPE_VEC3, 3, kArrayBuffer, false);
        primitive.targets.push_back(target);
    }
    return primitive;
}

// Weights that show one target at each key: frames first to first + count - 1.
void AddAnimation(tinygltf::Model& gltf, BufferWriter& buffer, const std::string& name,
                  const std::vector<float>& times, size_t first, size_t count, size_t targets, bool step)
{
    std::vector<float> input(times.begin() + first, times.begin() + first + count);
    for (float& t : input)
        t -= times[first];
    tinygltf::AnimationSampler sampler;
    sampler.input = buffer.Accessor(input, TINYGLTF_TYPE_SCALAR, 1, 0, true);
    sampler.output = buffer.OneHotWeights(count, targets, first);
    sampler.interpolation = step ? "STEP" : "LINEAR";
    tinygltf::AnimationChannel channel;
    channel.sampler = 0;
    channel.target_node = 0;
    channel.target_path = "weights";
    tinygltf::Animation animation;
    animation.name = name;
    animation.samplers.push_back(sampler);
    animation.channels.push_back(channel);
    gltf.animations.push_back(animation);
}

std::string SkinName(const ModelObject& model, int skin)
{
    return std::string(model.skins[skin].name, strnlen(model.skins[skin].name, sizeof model.skins[skin].name));
}

// One material per picture, the game's look: its pixels sampled nearest
// when magnified, matte; and a plain one for parts without a picture. Each
// part wears what the shown skin gives it; every skin is a variant.
bool AddMaterials(tinygltf::Model& gltf, const ModelObject& model, const ExportMesh& mesh, int shown,
                  BufferWriter& buffer, std::vector<tinygltf::Primitive>& primitives, std::string& error)
{
    int pictures = static_cast<int>(model.skinPictures.size());
    for (int i = 0; i < pictures; ++i) {
        std::string png;
        if (!SkinPng(model.skinPictures[i], png)) {
            error = "skin picture " + std::to_string(i) + " cannot be made a PNG";
            return false;
        }
        if (i == 0) {
            tinygltf::Sampler sampler;
            sampler.magFilter = TINYGLTF_TEXTURE_FILTER_NEAREST;
            sampler.minFilter = TINYGLTF_TEXTURE_FILTER_LINEAR_MIPMAP_LINEAR;
            gltf.samplers.push_back(sampler);
        }
        tinygltf::Image image;
        image.mimeType = "image/png";
        image.bufferView = buffer.View(png.data(), png.size(), 0);
        gltf.images.push_back(image);
        tinygltf::Texture texture;
        texture.sampler = 0;
        texture.source = i;
        gltf.textures.push_back(texture);
        tinygltf::Material material;
        material.pbrMetallicRoughness.baseColorTexture.index = i;
        material.pbrMetallicRoughness.metallicFactor = 0.0;
        gltf.materials.push_back(material);
    }
    auto shaderOf = [&](int skin, size_t part) { return PartShaderIndex(model, skin, mesh.parts[part].part); };
    bool bare = model.numSkins == 0;  // a part some skin gives no picture
    for (int skin = 0; skin < model.numSkins; ++skin)
        for (size_t part = 0; part < primitives.size(); ++part)
            bare = bare || (shaderOf(skin, part) < 0 && PartPicture(model, skin, mesh.parts[part].part) < 0);
    if (bare) {
        tinygltf::Material plain;
        plain.name = "plain";
        plain.pbrMetallicRoughness.metallicFactor = 0.0;
        gltf.materials.push_back(plain);
    }
    // A material for each shader a part wears, after the pictures' own.
    std::map<int, int> shaderMaterials;
    bool transform = false;
    for (int skin = 0; skin < model.numSkins; ++skin) {
        for (size_t part = 0; part < primitives.size(); ++part) {
            int shader = shaderOf(skin, part);
            if (shader < 0 || shaderMaterials.count(shader))
                continue;
            shaderMaterials[shader] = static_cast<int>(gltf.materials.size());
            gltf.materials.push_back(ShaderMaterial(model.shaders[shader], transform));
        }
    }
    if (transform)
        gltf.extensionsUsed.push_back("KHR_texture_transform");
    auto materialOf = [&](int skin, size_t part) {
        int shader = shaderOf(skin, part);
        if (shader >= 0)
            return shaderMaterials[shader];
        int picture = PartPicture(model, skin, mesh.parts[part].part);
        return picture >= 0 ? picture : pictures;
    };
    // Materials take the name of the first skin that shows them.
    for (int skin = model.numSkins - 1; skin >= 0; --skin)
        for (size_t part = 0; part < primitives.size(); ++part)
            if (shaderOf(skin, part) < 0 && PartPicture(model, skin, mesh.parts[part].part) >= 0)
                gltf.materials[materialOf(skin, part)].name =
                    SkinName(model, skin) + (primitives.size() > 1 ? "_" + std::to_string(part) : "");
    for (size_t part = 0; part < primitives.size(); ++part)
        primitives[part].material = materialOf(std::max(shown, 0), part);
    if (model.numSkins < 2)
        return true;
    tinygltf::Value::Array variants;
    for (int skin = 0; skin < model.numSkins; ++skin) {
        tinygltf::Value::Object variant;
        variant["name"] = tinygltf::Value(SkinName(model, skin));
        variants.push_back(tinygltf::Value(variant));
    }
    for (size_t part = 0; part < primitives.size(); ++part) {
        std::map<int, tinygltf::Value::Array> byMaterial;
        for (int skin = 0; skin < model.numSkins; ++skin)
            byMaterial[materialOf(skin, part)].push_back(tinygltf::Value(skin));
        tinygltf::Value::Array mappings;
        for (const auto& entry : byMaterial) {
            tinygltf::Value::Object mapping;
            mapping["material"] = tinygltf::Value(entry.first);
            mapping["variants"] = tinygltf::Value(entry.second);
            mappings.push_back(tinygltf::Value(mapping));
        }
        tinygltf::Value::Object onPrimitive;
        onPrimitive["mappings"] = tinygltf::Value(mappings);
        primitives[part].extensions["KHR_materials_variants"] = tinygltf::Value(onPrimitive);
    }
    tinygltf::Value::Object root;
    root["variants"] = tinygltf::Value(variants);
    gltf.extensions["KHR_materials_variants"] = tinygltf::Value(root);
    gltf.extensionsUsed.push_back("KHR_materials_variants");
    return true;
}

}  // namespace

bool WriteGltf(const ModelObject& model, const ExportRequest& request, bool binary, std::string& error)
{
    ExportMesh mesh;
    if (!MakeExportMesh(model, request.firstFrame, request.lastFrame, request.scale, mesh, error))
        return false;
    tinygltf::Model gltf;
    gltf.asset.version = "2.0";
    gltf.asset.generator = "Tarnivel";
    BufferWriter buffer(gltf);
    // Targets and weights are most of it; one allocation, not a copy at each doubling.
    size_t frames = mesh.frames.size(), bytes = 6 * frames * 8;
    for (const ExportPart& part : mesh.parts)
        bytes += (frames + 1) * part.layout->frameVertex.size() * 24 + part.indices.size() * 4 +
                 part.layout->texCoords.size() * 4;
    for (const RgbImage& picture : model.skinPictures)
        bytes += picture.png.size();
    buffer.Reserve(bytes);
    std::vector<tinygltf::Primitive> primitives;
    for (size_t part = 0; part < mesh.parts.size(); ++part)
        primitives.push_back(MeshPrimitive(model, mesh, static_cast<int>(part), buffer));
    if (!AddMaterials(gltf, model, mesh, request.skin, buffer, primitives, error))
        return false;

    tinygltf::Node node;
    node.name = FileNameOf(model.path);
    if (!primitives.empty()) {  // a model of tags only is an empty node
        tinygltf::Mesh gltfMesh;
        gltfMesh.name = node.name;
        gltfMesh.primitives = primitives;
        gltfMesh.weights.assign(mesh.frames.size(), 0.0);
        tinygltf::Value::Array names;
        for (int frame : mesh.frames)
            names.push_back(tinygltf::Value(FrameNameOf(model, frame)));
        tinygltf::Value::Object extras;
        extras["targetNames"] = tinygltf::Value(names);
        gltfMesh.extras = tinygltf::Value(extras);
        gltf.meshes.push_back(gltfMesh);
        node.mesh = 0;
        std::vector<float> times = FrameTimes(model, mesh, request.fps);
        for (const FrameSequence& sequence : FrameSequences(model, mesh))
            AddAnimation(gltf, buffer, sequence.name, times, sequence.first, sequence.count, mesh.frames.size(),
                         request.step);
        AddAnimation(gltf, buffer, "all", times, 0, mesh.frames.size(), mesh.frames.size(), request.step);
    }
    gltf.nodes.push_back(node);
    tinygltf::Scene scene;
    scene.nodes.push_back(0);
    gltf.scenes.push_back(scene);
    gltf.defaultScene = 0;
    if (gltf.buffers[0].data.empty())
        gltf.buffers.clear();  // no buffer may be empty

    std::string temporary = CreateTemporaryBeside(request.output, error);
    if (temporary.empty())
        return false;
    tinygltf::TinyGLTF writer;
    bool written = writer.WriteGltfSceneToFile(&gltf, temporary, true, true, !binary, binary);
    if (!written)
        error = "cannot be written";
    return MoveIntoPlace(temporary, request.output, written, error);
}
