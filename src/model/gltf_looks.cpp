// A glTF model's materials as its looks: each material's base colour image
// times its factor as a picture, a shader where it masks, blends or shows
// both sides, its emissive image (times its factor) kept as what glows, and
// KHR_materials_variants as skin sets.
#include <algorithm>
#include <cstring>
#include <map>

#include "formats/shader_script.h"
#include "looks/skins.h"
#include "looks/surface_looks.h"
#include "model/gltf_model.h"
#include "platform/names.h"

namespace {

// The image's file bytes as a picture, by their first bytes.
bool DecodeImage(const tinygltf::Model& gltf, int texture, bool pixels, RgbImage& out)
{
    if (texture < 0 || gltf.textures[texture].source < 0)
        return false;
    const tinygltf::Image& image = gltf.images[gltf.textures[texture].source];
    std::vector<unsigned char> bytes = image.image;
    if (image.bufferView >= 0) {
        const tinygltf::BufferView& view = gltf.bufferViews[image.bufferView];
        const std::vector<unsigned char>& data = gltf.buffers[view.buffer].data;
        bytes.assign(data.begin() + view.byteOffset, data.begin() + view.byteOffset + view.byteLength);
    }
    bool png = bytes.size() > 8 && memcmp(bytes.data(), "\x89PNG", 4) == 0;
    bool jpeg = bytes.size() > 3 && bytes[0] == 0xFF && bytes[1] == 0xD8;
    if (!png && !jpeg)
        return false;
    return DecodeTrueColour(bytes.data(), bytes.size(), png ? "png" : "jpg", out, true, pixels || jpeg);
}

// The picture times the factor; a plain picture of the factor without one.
RgbImage Tinted(RgbImage picture, const std::vector<double>& factor)
{
    bool white = factor.size() < 3 || (factor[0] == 1 && factor[1] == 1 && factor[2] == 1 &&
                                       (factor.size() < 4 || factor[3] == 1));
    if (picture.width == 0) {
        picture.width = picture.height = 4;
        picture.rgb.assign(48, 255);
    }
    if (white || picture.rgb.empty())
        return picture;
    picture.png.clear();  // its pixels are no longer the file's
    for (size_t i = 0; i < picture.rgb.size(); ++i)
        picture.rgb[i] = static_cast<uint8_t>(picture.rgb[i] * std::clamp(factor[i % 3], 0.0, 1.0) + 0.5);
    if (factor.size() == 4 && factor[3] < 1) {
        if (picture.alpha.empty())
            picture.alpha.assign(picture.rgb.size() / 3, 255);
        for (uint8_t& a : picture.alpha)
            a = static_cast<uint8_t>(a * std::clamp(factor[3], 0.0, 1.0) + 0.5);
    }
    return picture;
}

// A script of one lit stage for a material that masks, blends or shows both sides.
std::shared_ptr<ShaderScript> MaterialScript(const tinygltf::Material& material, const std::string& image)
{
    bool mask = material.alphaMode == "MASK", blend = material.alphaMode == "BLEND";
    if (!mask && !blend && !material.doubleSided)
        return nullptr;
    auto script = std::make_shared<ShaderScript>();
    script->name = ShaderKey(image);
    script->cull = material.doubleSided ? CullFace::kNone : CullFace::kFront;
    ShaderStage stage;
    stage.images = {image};
    stage.rgbGen = ColourGen::kLightingDiffuse;
    if (mask)
        stage.alphaTest = material.alphaCutoff <= 0 ? AlphaTest::kGreaterThanZero : AlphaTest::kAtLeastHalf;
    if (blend) {
        stage.blend = true;
        stage.blendSource = BlendFactor::kSrcAlpha, stage.blendDestination = BlendFactor::kOneMinusSrcAlpha;
        stage.depthWrite = false;
    }
    script->stages.push_back(stage);
    return script;
}

class Looks {
public:
    Looks(const tinygltf::Model& gltf, ModelObject& model) : gltf_(gltf), model_(model) {}

    // A material's look, made once: its picture, its shader, what glows.
    struct Look {
        int32_t picture = -1, shader = -1, glow = -1;
    };
    Look Of(int material)
    {
        auto known = made_.find(material);
        if (known != made_.end())
            return known->second;
        Look look;
        if (material >= 0) {
            const tinygltf::Material& m = gltf_.materials[material];
            const auto& pbr = m.pbrMetallicRoughness;
            RgbImage base;
            // White and untextured is no look at all, as a part of no skin.
            if (pbr.baseColorTexture.index >= 0 || !IsWhite(pbr.baseColorFactor)) {
                DecodeImage(gltf_, pbr.baseColorTexture.index, !IsWhite(pbr.baseColorFactor) || SkinPixelsWanted(),
                            base);
                look.picture = Add(Tinted(std::move(base), pbr.baseColorFactor));
            }
            RgbImage glow;
            bool glows = DecodeImage(gltf_, m.emissiveTexture.index, true, glow) ||
                         (m.emissiveFactor.size() == 3 && !IsBlack(m.emissiveFactor));
            if (glows)
                look.glow = Add(Tinted(std::move(glow), m.emissiveFactor));
            std::string name = AsText(m.name.empty() ? "material" + std::to_string(material) : m.name);
            std::shared_ptr<ShaderScript> script = look.picture >= 0 ? MaterialScript(m, name) : nullptr;
            if (script) {
                ModelShader shader;
                shader.script = script;
                shader.passes.push_back({&script->stages[0], {look.picture}});
                shader.sort = ShaderSort(*script);
                model_.shaders.push_back(std::move(shader));
                look.shader = static_cast<int32_t>(model_.shaders.size() - 1);
            }
        }
        return made_[material] = look;
    }

private:
    static bool IsWhite(const std::vector<double>& factor)
    {
        return std::all_of(factor.begin(), factor.end(), [](double v) { return v == 1; });
    }
    static bool IsBlack(const std::vector<double>& factor)
    {
        return std::all_of(factor.begin(), factor.end(), [](double v) { return v == 0; });
    }
    int32_t Add(RgbImage picture)
    {
        model_.skinPictures.push_back(std::move(picture));
        return static_cast<int32_t>(model_.skinPictures.size() - 1);
    }

    const tinygltf::Model& gltf_;
    ModelObject& model_;
    std::map<int, Look> made_;
};

std::vector<std::string> VariantNames(const tinygltf::Model& gltf)
{
    std::vector<std::string> names;
    auto root = gltf.extensions.find("KHR_materials_variants");
    if (root == gltf.extensions.end() || !Member(root->second, "variants").IsArray())
        return names;
    const tinygltf::Value& variants = Member(root->second, "variants");
    for (size_t v = 0; v < variants.ArrayLen(); ++v) {
        const tinygltf::Value& name = Member(Element(variants, v), "name");
        names.push_back(AsText(name.IsString() ? name.Get<std::string>() : "variant" + std::to_string(v + 1)));
    }
    return names;
}

// The material a primitive wears in a variant: its mapping's, else its own.
int MaterialIn(const tinygltf::Model& gltf, const GltfPrimitive& primitive, size_t index, int variant)
{
    int mesh = gltf.nodes[primitive.node].mesh;
    const tinygltf::Primitive& source = gltf.meshes[mesh].primitives[index];
    auto found = source.extensions.find("KHR_materials_variants");
    if (variant < 0 || found == source.extensions.end() || !Member(found->second, "mappings").IsArray())
        return primitive.material;
    const tinygltf::Value& mappings = Member(found->second, "mappings");
    for (size_t m = 0; m < mappings.ArrayLen(); ++m) {
        const tinygltf::Value& mapping = Element(mappings, m);
        const tinygltf::Value& variants = Member(mapping, "variants");
        const tinygltf::Value& material = Member(mapping, "material");
        for (size_t v = 0; variants.IsArray() && v < variants.ArrayLen(); ++v)
            if (Element(variants, v).IsInt() && Element(variants, v).Get<int>() == variant &&
                material.IsInt() && material.Get<int>() >= 0 &&
                static_cast<size_t>(material.Get<int>()) < gltf.materials.size())
                return material.Get<int>();
    }
    return primitive.material;
}

// The one skin set's name: its materials' shared name ("skin", of "skin_0"
// and "skin_1", as the exports name them), else the first's.
std::string SetName(const tinygltf::Model& gltf, const std::vector<GltfPrimitive>& primitives)
{
    std::string first;
    for (const GltfPrimitive& primitive : primitives)
        if (first.empty() && primitive.material >= 0)
            first = gltf.materials[primitive.material].name;
    size_t cut = first.rfind('_');
    if (primitives.size() > 1 && cut != std::string::npos &&
        first.find_first_not_of("0123456789", cut + 1) == std::string::npos)
        first.resize(cut);
    return AsText(first.empty() ? "default" : first);
}

}  // namespace

void AddGltfLooks(const tinygltf::Model& gltf, const std::vector<GltfPrimitive>& primitives, ModelObject& model)
{
    model.maxSkins = kMaxSkins;
    model.skins = std::make_unique<SkinInfo[]>(kMaxSkins);
    // No material anywhere: a model of no skin.
    if (std::none_of(primitives.begin(), primitives.end(), [](const GltfPrimitive& p) { return p.material >= 0; }))
        return;
    std::vector<std::string> variants = VariantNames(gltf);
    std::vector<std::string> sets = variants.empty() ? std::vector<std::string>{SetName(gltf, primitives)} : variants;
    Looks looks(gltf, model);
    for (size_t s = 0; s < sets.size() && model.numSkins < kMaxSkins; ++s) {
        SkinInfo& skin = model.skins[model.numSkins++];
        CopyText(skin.name, sizeof skin.name, sets[s]);
        for (size_t p = 0; p < primitives.size(); ++p) {
            int variant = variants.empty() ? -1 : static_cast<int>(s);
            Looks::Look look = looks.Of(MaterialIn(gltf, primitives[p], primitives[p].index, variant));
            skin.partPictures.push_back(look.picture);
            skin.partShaders.push_back(look.shader);
            skin.partGlows.push_back(look.glow);
        }
    }
    model.hasSkins = model.texturing = !model.skinPictures.empty();
}
