#pragma once

// A Quake III shader as a glTF material, as near as glTF's one pass comes
// to the game's stages.
#include <tiny_gltf.h>

#include "model/model.h"

// The first stage that does not add light gives the base colour, a fixed tcMod scale or transform its
// KHR_texture_transform, alphaFunc MASK, a blend BLEND, cull none
// doubleSided; a shader of only added light (glows, flares) is emissive.
// Picture k is texture firstTexture + k; transform is set when the
// material uses KHR_texture_transform.
tinygltf::Material ShaderMaterial(const ModelShader& shader, int firstTexture, bool& transform);
