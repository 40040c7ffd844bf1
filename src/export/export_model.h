#pragma once

#include <string>
#include <vector>

#include "model/model.h"

// What an export wrote, for a caller that lists it.
struct ExportSummary {
    int frames = 0;
    std::vector<std::string> animations;  // glTF's, by name
    std::vector<std::string> notes;       // what a game format's writing changed, a line each
};

// What an export writes: the format is the output's extension.
struct ExportRequest {
    std::string output;         // .glb, .gltf, .obj, .md3, .iqm, .md2 or .mdl
    int firstFrame = -1;        // --frames A-B; -1: every frame
    int lastFrame = -1;
    std::string frame;          // .obj: a frame number or name; empty: the first
    int skin = -1;              // -1: the first
    std::string skinName;       // or a skin set by name ("red")
    double fps = 10.0;          // the viewer's clock: ten frames a second
    bool fpsGiven = false;      // the games' formats sample a skeleton's animations at fps only when asked
    bool step = false;          // --interpolation none: frames held, not blended
    float scale = 0.0254f;      // metres a game unit: an inch
    bool scaleGiven = false;    // the games' formats take scale as game units a model's unit, else 1
    std::string palette;        // MDL and MD2 skins: this palette file rather than the game's
    bool perFrameBounds = false;  // MD2: each frame its own box, the finest steps
    int32_t mdlFlags = 0;         // MDL: the model's effects (--flags)
    ExportSummary* summary = nullptr;  // filled in when given
};

// Writes a model read with its skins as pictures (no OpenGL needed): glTF
// 2.0 with every frame a morph target and an animation per frame sequence,
// or one frame as OBJ with its material and skin. False, with the fault in
// error, and no file written.
bool ExportModel(const ModelObject& model, const ExportRequest& request, std::string& error);

// The output formats by extension; false for any other.
bool IsExportName(const std::string& path);

// Each format's own.
bool WriteGltf(const ModelObject& model, const ExportRequest& request, bool binary, std::string& error);
// A model with a skeleton: its joints, skin and joint animations.
bool WriteSkeletalGltf(const ModelObject& model, const ExportRequest& request, bool binary, std::string& error);
bool WriteObj(const ModelObject& model, const ExportRequest& request, std::string& error);
// OUT.md3 with its pictures and an OUT_NAME.skin a skin set: the first
// set's shaders are in the model itself.
bool WriteMd3Model(const ModelObject& model, const ExportRequest& request, std::string& error);
// OUT.iqm with its pictures: a skeletal model's joints, bind pose,
// animations and meshes; a vertex-animated one is refused.
bool WriteIqmModel(const ModelObject& model, const ExportRequest& request, std::string& error);
// OUT.md2 with its skins beside it (PCX in the Quake 2 palette when there is
// one, and PNG); OUT.mdl with its skins inside it in the Quake palette.
bool WriteMd2Model(const ModelObject& model, const ExportRequest& request, std::string& error);
bool WriteMdlModel(const ModelObject& model, const ExportRequest& request, std::string& error);
// MDL's effects by the names QuakeC gives them (EF_ROCKET...), "rotate,rocket",
// or a number; false for any other.
bool ParseMdlFlags(const std::string& text, int32_t& flags);
// The game units a model's unit the request asks for: --scale, else 1.
float GameScale(const ExportRequest& request);
