#include "export/gltf_parts.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <sstream>

#include "export/shader_materials.h"
#include "formats/png_writer.h"
#include "platform/atomic_file.h"
#include "platform/names.h"

namespace {

// a - base, in place.
std::vector<float>& Subtract(std::vector<float>& a, const std::vector<float>& base)
{
    for (size_t i = 0; i < a.size(); ++i)
        a[i] -= base[i];
    return a;
}

}  // namespace

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

void AddAnimation(tinygltf::Model& gltf, BufferWriter& buffer, const std::string& name,
                  const std::vector<float>& times, size_t first, size_t count, size_t targets, bool step, int node)
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
    channel.target_node = node;
    channel.target_path = "weights";
    tinygltf::Animation animation;
    animation.name = name;
    animation.samplers.push_back(sampler);
    animation.channels.push_back(channel);
    gltf.animations.push_back(animation);
}

// A tag where the viewer uses it (its axes unit and square) as a glTF
// translation and rotation: Quake's x, y, z are glTF's z, x, y.
void TagTransform(const TagPlace& tag, float scale, double translation[3], double rotation[4])
{
    float axis[3][3];
    std::copy(&tag.axis[0][0], &tag.axis[0][0] + 9, &axis[0][0]);
    OrthonormalizeTag(axis);
    double m[3][3];  // glTF rows and columns
    for (int r = 0; r < 3; ++r) {
        translation[r] = tag.origin[(r + 1) % 3] * static_cast<double>(scale);
        for (int c = 0; c < 3; ++c)
            m[r][c] = axis[(c + 1) % 3][(r + 1) % 3];
    }
    double trace = m[0][0] + m[1][1] + m[2][2], x, y, z, w;
    if (trace > 0) {
        double s = 2 * std::sqrt(trace + 1);
        w = s / 4, x = (m[2][1] - m[1][2]) / s, y = (m[0][2] - m[2][0]) / s, z = (m[1][0] - m[0][1]) / s;
    } else if (m[0][0] > m[1][1] && m[0][0] > m[2][2]) {
        double s = 2 * std::sqrt(1 + m[0][0] - m[1][1] - m[2][2]);
        w = (m[2][1] - m[1][2]) / s, x = s / 4, y = (m[0][1] + m[1][0]) / s, z = (m[0][2] + m[2][0]) / s;
    } else if (m[1][1] > m[2][2]) {
        double s = 2 * std::sqrt(1 + m[1][1] - m[0][0] - m[2][2]);
        w = (m[0][2] - m[2][0]) / s, x = (m[0][1] + m[1][0]) / s, y = s / 4, z = (m[1][2] + m[2][1]) / s;
    } else {
        double s = 2 * std::sqrt(1 + m[2][2] - m[0][0] - m[1][1]);
        w = (m[1][0] - m[0][1]) / s, x = (m[0][2] + m[2][0]) / s, y = (m[1][2] + m[2][1]) / s, z = s / 4;
    }
    double length = std::sqrt(x * x + y * y + z * z + w * w);
    const double q[4] = {x / length, y / length, z / length, w / length};
    std::copy(q, q + 4, rotation);
}

void AddTagChannels(tinygltf::Animation& animation, BufferWriter& buffer, const ModelObject& model,
                    const std::vector<int>& nodes, const std::vector<int>& frames, int input, float scale, bool step)
{
    const DrawnModel& drawn = *model.drawn;
    for (size_t t = 0; t < nodes.size(); ++t) {
        std::vector<float> translations, rotations;
        for (int frame : frames) {
            double position[3], rotation[4];
            TagTransform(drawn.tags[size_t(frame) * drawn.tagCount + t], scale, position, rotation);
            translations.insert(translations.end(), position, position + 3);
            rotations.insert(rotations.end(), rotation, rotation + 4);
        }
        const std::pair<const char*, int> paths[2] = {
            {"translation", buffer.Accessor(translations, TINYGLTF_TYPE_VEC3, 3, 0, false)},
            {"rotation", buffer.Accessor(rotations, TINYGLTF_TYPE_VEC4, 4, 0, false)}};
        for (const auto& path : paths) {
            tinygltf::AnimationSampler sampler;
            sampler.input = input;
            sampler.output = path.second;
            sampler.interpolation = step ? "STEP" : "LINEAR";
            animation.samplers.push_back(sampler);
            tinygltf::AnimationChannel channel;
            channel.sampler = static_cast<int>(animation.samplers.size() - 1);
            channel.target_node = nodes[t];
            channel.target_path = path.first;
            animation.channels.push_back(channel);
        }
    }
}

std::vector<int> AddTagNodes(tinygltf::Model& gltf, const ModelObject& model, int parent, int frame, float scale)
{
    std::vector<int> nodes;
    const DrawnModel& drawn = *model.drawn;
    for (int t = 0; t < drawn.tagCount && frame >= 0 && size_t(frame + 1) * drawn.tagCount <= drawn.tags.size(); ++t) {
        const TagPlace& tag = drawn.tags[size_t(frame) * drawn.tagCount + t];
        tinygltf::Node node;
        node.name = AsText(tag.name);
        double translation[3], rotation[4];
        TagTransform(tag, scale, translation, rotation);
        node.translation.assign(translation, translation + 3);
        node.rotation.assign(rotation, rotation + 4);
        gltf.nodes.push_back(node);
        nodes.push_back(static_cast<int>(gltf.nodes.size() - 1));
        gltf.nodes[parent].children.push_back(nodes.back());
    }
    return nodes;
}

// One material per picture, the game's look: its pixels sampled nearest
// when magnified, matte; a plain one for parts without a picture; one a
// shader.
bool AddMaterials(tinygltf::Model& gltf, const ModelObject& model, const ExportMesh& mesh, int shown,
                  BufferWriter& buffer, std::vector<tinygltf::Primitive>& primitives,
                  const std::vector<int>& variantOf, std::string& error)
{
    int pictures = static_cast<int>(model.skinPictures.size());
    int firstImage = static_cast<int>(gltf.images.size()), firstMaterial = static_cast<int>(gltf.materials.size());
    for (int i = 0; i < pictures; ++i) {
        std::string png;
        if (!SkinPng(model.skinPictures[i], png)) {
            error = "skin picture " + std::to_string(i) + " cannot be made a PNG";
            return false;
        }
        if (gltf.samplers.empty()) {
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
        texture.source = firstImage + i;
        gltf.textures.push_back(texture);
        tinygltf::Material material;
        material.pbrMetallicRoughness.baseColorTexture.index = firstImage + i;
        material.pbrMetallicRoughness.metallicFactor = 0.0;
        gltf.materials.push_back(material);
    }
    auto shaderOf = [&](int skin, size_t part) { return PartShaderIndex(model, skin, mesh.parts[part].part); };
    bool bare = false;  // a part some skin gives no picture
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
            gltf.materials.push_back(ShaderMaterial(model.shaders[shader], firstImage, transform));
        }
    }
    if (transform && std::find(gltf.extensionsUsed.begin(), gltf.extensionsUsed.end(), "KHR_texture_transform") ==
                         gltf.extensionsUsed.end())
        gltf.extensionsUsed.push_back("KHR_texture_transform");
    auto materialOf = [&](int skin, size_t part) {
        int shader = shaderOf(skin, part);
        if (shader >= 0)
            return shaderMaterials[shader];
        int picture = PartPicture(model, skin, mesh.parts[part].part);
        return firstMaterial + (picture >= 0 ? picture : pictures);
    };
    // Materials take the name of the first skin that shows them.
    for (int skin = model.numSkins - 1; skin >= 0; --skin)
        for (size_t part = 0; part < primitives.size(); ++part)
            if (shaderOf(skin, part) < 0 && PartPicture(model, skin, mesh.parts[part].part) >= 0)
                gltf.materials[materialOf(skin, part)].name =
                    SkinName(model, skin) + (primitives.size() > 1 ? "_" + std::to_string(part) : "");
    // A model of no skin wears no material, as it is drawn.
    for (size_t part = 0; part < primitives.size() && model.numSkins > 0; ++part)
        primitives[part].material = materialOf(std::max(shown, 0), part);
    if (variantOf.empty())
        return true;
    for (size_t part = 0; part < primitives.size(); ++part) {
        std::map<int, tinygltf::Value::Array> byMaterial;
        for (int skin = 0; skin < model.numSkins; ++skin)
            byMaterial[materialOf(skin, part)].push_back(tinygltf::Value(variantOf[skin]));
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
    return true;
}


void AddVariants(tinygltf::Model& gltf, const std::vector<std::string>& names)
{
    tinygltf::Value::Array variants;
    for (const std::string& name : names) {
        tinygltf::Value::Object variant;
        variant["name"] = tinygltf::Value(name);
        variants.push_back(tinygltf::Value(variant));
    }
    tinygltf::Value::Object root;
    root["variants"] = tinygltf::Value(variants);
    gltf.extensions["KHR_materials_variants"] = tinygltf::Value(root);
    gltf.extensionsUsed.push_back("KHR_materials_variants");
}

bool AddModelMaterials(tinygltf::Model& gltf, const ModelObject& model, const ExportMesh& mesh, int shown,
                       BufferWriter& buffer, std::vector<tinygltf::Primitive>& primitives, std::string& error)
{
    std::vector<int> variantOf;
    for (int skin = 0; model.numSkins > 1 && skin < model.numSkins; ++skin)
        variantOf.push_back(skin);
    if (!AddMaterials(gltf, model, mesh, shown, buffer, primitives, variantOf, error))
        return false;
    if (variantOf.empty())
        return true;
    std::vector<std::string> names;
    for (int skin = 0; skin < model.numSkins; ++skin)
        names.push_back(SkinName(model, skin));
    AddVariants(gltf, names);
    return true;
}

namespace {

// The JSON tinygltf makes of everything but the binary buffer's bytes, which
// stay where they are: a .glb's buffer is most of it, and tinygltf would
// copy it and write it unchecked.
bool GlbJson(tinygltf::Model& gltf, std::string& json)
{
    std::vector<unsigned char> bytes;
    bool hasBuffer = !gltf.buffers.empty();
    if (hasBuffer)
        std::swap(bytes, gltf.buffers[0].data);
    std::ostringstream stream;
    tinygltf::TinyGLTF writer;
    bool made = writer.WriteGltfSceneToStream(&gltf, stream, false, true);
    if (hasBuffer)
        std::swap(bytes, gltf.buffers[0].data);
    std::string glb = stream.str();
    uint32_t length = 0;
    if (!made || glb.size() < 20)
        return false;
    memcpy(&length, &glb[12], 4);
    json = glb.substr(20, length);
    if (!hasBuffer)
        return true;
    const std::string empty = "\"buffers\":[{\"byteLength\":0}]";
    size_t at = json.find(empty);
    if (at == std::string::npos || json.find(empty, at + 1) != std::string::npos)
        return false;
    json.replace(at, empty.size(), "\"buffers\":[{\"byteLength\":" + std::to_string(gltf.buffers[0].data.size()) + "}]");
    return true;
}

void PutWord(std::string& bytes, uint32_t word)
{
    for (int i = 0; i < 4; ++i)
        bytes += static_cast<char>(word >> (8 * i) & 0xff);
}

bool WriteGlb(tinygltf::Model& gltf, const std::string& output, std::string& error)
{
    std::string json;
    if (!GlbJson(gltf, json)) {
        error = "cannot be written: its JSON could not be made";
        return false;
    }
    json.resize((json.size() + 3) & ~size_t(3), ' ');
    const std::vector<unsigned char>* bin = gltf.buffers.empty() ? nullptr : &gltf.buffers[0].data;
    size_t binSize = bin ? bin->size() : 0, binPadded = (binSize + 3) & ~size_t(3);
    if (20 + json.size() + (bin ? 8 + binPadded : 0) > 0xffffffffu) {
        error = "is larger than a .glb can be (4 GB)";
        return false;
    }
    std::string head = "glTF", binHead;
    PutWord(head, 2);
    PutWord(head, static_cast<uint32_t>(20 + json.size() + (bin ? 8 + binPadded : 0)));
    PutWord(head, static_cast<uint32_t>(json.size()));
    PutWord(head, 0x4E4F534A);  // "JSON"
    std::vector<FilePiece> pieces = {{head.data(), head.size()}, {json.data(), json.size()}};
    const char zeros[4] = {0, 0, 0, 0};
    if (bin) {
        PutWord(binHead, static_cast<uint32_t>(binPadded));
        PutWord(binHead, 0x004E4942);  // "BIN"
        pieces.push_back({binHead.data(), binHead.size()});
        pieces.push_back({bin->data(), binSize});
        pieces.push_back({zeros, binPadded - binSize});
    }
    return WritePiecesAtomically(output, pieces, error);
}

}  // namespace

bool SaveGltf(tinygltf::Model& gltf, const std::vector<int>& roots, const std::string& sceneName,
              const ExportRequest& request, bool binary, std::string& error)
{
    if (request.summary)
        for (const tinygltf::Animation& animation : gltf.animations)
            request.summary->animations.push_back(animation.name);
    tinygltf::Scene scene;
    scene.name = AsText(sceneName);
    scene.nodes = roots;
    gltf.scenes.push_back(scene);
    gltf.defaultScene = 0;
    if (!gltf.buffers.empty() && gltf.buffers[0].data.empty())
        gltf.buffers.clear();  // no buffer may be empty
    if (binary)
        return WriteGlb(gltf, request.output, error);
    std::ostringstream text;
    tinygltf::TinyGLTF writer;
    if (!writer.WriteGltfSceneToStream(&gltf, text, true, false)) {
        error = "cannot be written: its JSON could not be made";
        return false;
    }
    return WriteFileAtomically(request.output, text.str(), error);
}
