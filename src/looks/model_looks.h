#pragma once

// How a model looks, apart from its geometry: its skins (single pictures,
// groups of them, or sets of a picture and a shader for each part), the
// pictures they are made of and the shaders its parts wear. A part of the
// model's record of its own, so the code that finds looks needs no model.
#include <cstdint>
#include <memory>
#include <vector>

#include "formats/truecolour.h"

struct ShaderScript;
struct ShaderStage;

// One pass of a surface's shader: its script stage, and the stage's images
// as the model's pictures (indices into skinPictures; -1 is the white image),
// one or animMap's in turn.
struct ShaderPass {
    const ShaderStage* stage;
    std::vector<int32_t> pictures;
};

// A surface's look made from a shader script: the passes drawn one after
// the other (stages without an image left out).
struct ModelShader {
    std::shared_ptr<const ShaderScript> script;
    std::vector<ShaderPass> passes;
    float sort = 3;        // the script's, or what its first stage makes it: opaque ones are drawn first
    bool perVertex = false;  // stages or deforms worked out vertex by vertex at each draw
};

struct SkinInfo {
    uint32_t textureId = 0;
    char name[64] = {};
    int32_t group = -1;     // the MDL skin group the picture came from; -1 for a single skin
    float interval = 0.0f;  // a group picture's end time in seconds
    // A skin set: each part's picture by its skin slot (an index into the
    // model's skinPictures, -1 for none) and, once made, its texture (0 for
    // none); empty when the skin is one picture, textureId.
    std::vector<int32_t> partPictures;
    std::vector<uint32_t> partTextures;
    // Each part's shader by its skin slot (an index into the model's shaders),
    // -1 where the part wears its picture alone, lit (or nothing).
    std::vector<int32_t> partShaders;
    // Each part's picture of what glows in the dark (a glTF material's
    // emissive one), -1 for none; empty when nothing glows.
    std::vector<int32_t> partGlows;
};

struct ModelLooks {
    int32_t skinWidth = 0;
    int32_t skinHeight = 0;
    bool hasSkins = false;
    bool texturing = false;
    int32_t numSkins = 0;
    int32_t maxSkins = 0;
    std::unique_ptr<SkinInfo[]> skins;
    // A loaded model's skins as pictures, one per skin, until whoever draws
    // it makes them into textures.
    std::vector<RgbImage> skinPictures;
    // The shaders its surfaces wear, and every picture's texture (with its
    // alpha, for the shaders' passes), made with the skins' and kept till
    // the model goes.
    std::vector<ModelShader> shaders;
    std::vector<uint32_t> pictureTextures;
    int32_t currentSkin = 0;
    int32_t animatedSkin = -1;  // the current skin group's picture due on the running clock
};
