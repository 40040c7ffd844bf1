#include "export/shader_materials.h"

#include <cmath>

#include "formats/shader_script.h"

namespace {

bool Adds(const ShaderStage& stage)
{
    return stage.blend && stage.blendSource == BlendFactor::kOne && stage.blendDestination == BlendFactor::kOne;
}

bool Blends(const ShaderStage& stage)
{
    return stage.blend && stage.blendSource == BlendFactor::kSrcAlpha &&
           stage.blendDestination == BlendFactor::kOneMinusSrcAlpha;
}

// A fixed scale and offset (tcMod scale, or a transform without turning or
// shearing) as KHR_texture_transform; false for anything else.
bool FixedTransform(const ShaderStage& stage, tinygltf::Value::Object& extension)
{
    float scale[2] = {1, 1}, offset[2] = {0, 0};
    bool any = false;
    for (const TexMod& mod : stage.tcMods) {
        const float* v = mod.values;
        if (mod.kind == TexMod::Kind::kScale) {
            scale[0] *= v[0], scale[1] *= v[1], offset[0] *= v[0], offset[1] *= v[1];
        } else if (mod.kind == TexMod::Kind::kTransform && v[1] == 0 && v[2] == 0) {
            scale[0] *= v[0], scale[1] *= v[3];
            offset[0] = offset[0] * v[0] + v[4], offset[1] = offset[1] * v[3] + v[5];
        } else {
            return false;  // it moves with time, turns or shears
        }
        any = true;
    }
    if (!any)
        return false;
    extension["scale"] = tinygltf::Value(tinygltf::Value::Array{tinygltf::Value(scale[0]), tinygltf::Value(scale[1])});
    extension["offset"] =
        tinygltf::Value(tinygltf::Value::Array{tinygltf::Value(offset[0]), tinygltf::Value(offset[1])});
    return true;
}

void SetTexture(tinygltf::TextureInfo& info, const ShaderPass& pass, int firstTexture, bool& transform)
{
    info.index = pass.pictures.empty() || pass.pictures[0] < 0 ? -1 : firstTexture + pass.pictures[0];
    tinygltf::Value::Object extension;
    if (info.index >= 0 && FixedTransform(*pass.stage, extension)) {
        info.extensions["KHR_texture_transform"] = tinygltf::Value(extension);
        transform = true;
    }
}

}  // namespace

tinygltf::Material ShaderMaterial(const ModelShader& shader, int firstTexture, bool& transform)
{
    tinygltf::Material material;
    material.name = shader.script->name;
    material.pbrMetallicRoughness.metallicFactor = 0.0;
    material.doubleSided = shader.script->cull == CullFace::kNone;
    const ShaderPass* base = nullptr;
    for (const ShaderPass& pass : shader.passes)
        if (!base && !Adds(*pass.stage))
            base = &pass;
    if (!base) {
        // Only light added: a glow.
        if (shader.passes.empty())
            return material;
        material.pbrMetallicRoughness.baseColorFactor = {0, 0, 0, 1};
        material.emissiveFactor = {1, 1, 1};
        SetTexture(material.emissiveTexture, shader.passes[0], firstTexture, transform);
        return material;
    }
    const ShaderStage& stage = *base->stage;
    if (stage.rgbGen == ColourGen::kConst)
        material.pbrMetallicRoughness.baseColorFactor = {stage.rgbConst[0], stage.rgbConst[1], stage.rgbConst[2], 1};
    SetTexture(material.pbrMetallicRoughness.baseColorTexture, *base, firstTexture, transform);
    if (stage.alphaTest == AlphaTest::kAtLeastHalf || stage.alphaTest == AlphaTest::kGreaterThanZero) {
        material.alphaMode = "MASK";
        material.alphaCutoff = stage.alphaTest == AlphaTest::kAtLeastHalf ? 0.5 : 1.0 / 255;
    } else if (Blends(stage)) {
        material.alphaMode = "BLEND";
    }
    return material;
}
