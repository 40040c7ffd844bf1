#pragma once

// How a Quake III surface (or any part naming a shader) looks, found by
// name as ioquake3's R_FindShader finds it: the shader a script of its game
// defines, else a one-image shader made of the image of that name, else
// nothing (drawn untextured, reported once).
#include <map>
#include <string>
#include <vector>

#include "looks/model_looks.h"
#include "looks/shader_library.h"

// A look: a shader of the model's (shaders), or one picture (skinPictures); -1 for none.
struct SurfaceLook {
    int32_t shader = -1;
    int32_t picture = -1;
};

// The Quake III base folders beside a mod's.
extern const std::vector<std::string> kQuake3Bases;

// The image a shader or image name stands for, as the engines look: .tga,
// then .jpg, whatever the name's extension (and .png), along the game's
// search path, then beside the model; empty when there is none.
std::string FindShaderImage(const std::string& name, const std::string& modelPath);

// The looks of one model's surfaces, each name looked up once, each image
// read once; reports name who ("InitMd3Object") and the model.
class SurfaceLooks {
public:
    SurfaceLooks(ModelLooks* model, const std::string& modelPath, const char* who);
    SurfaceLook Of(const std::string& name);
    // How many looks were found of each kind, for a listing.
    const ShaderLibrary& library() const { return library_; }

private:
    int32_t Picture(const std::string& name, bool alpha, bool report);
    int32_t ShaderOf(const ShaderScript& script);

    ModelLooks* model_;
    std::string modelPath_;
    const char* who_;
    const ShaderLibrary& library_;
    std::map<std::string, SurfaceLook> byName_;
    std::map<std::pair<std::string, bool>, int32_t> pictures_;
};

// The sort a shader is drawn by: its own, or a see-through or blended one
// when its first stage blends.
float ShaderSort(const ShaderScript& script);
// True when a shader needs the vertices at every draw: a deform, an
// environment map, turbulence, or specular alpha.
bool ShaderIsPerVertex(const ShaderScript& script);

// What a listing says of a model's looks: how many surfaces take a shader,
// an image, or nothing.
struct LookCounts {
    int shaders = 0, images = 0, none = 0;
};
LookCounts CountLooks(const std::vector<std::string>& names, const std::string& modelPath);
