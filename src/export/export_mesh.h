#pragma once

#include <memory>
#include <string>
#include <vector>

#include "geometry/frame_layout.h"
#include "model/model.h"

// A model as today's tools take it: +Y up, facing +Z, in metres. Quake's
// x, y and z become glTF's z, x and y.
// One mesh of it: a part of the model that has triangles.
struct ExportPart {
    int part = 0;  // the model's part it is (a part without triangles is left out)
    std::shared_ptr<const FrameLayout> layout;  // the vertices and triangles the viewer draws
    std::vector<uint32_t> indices;              // the layout's triangles wound for the front to face you
};

struct ExportMesh {
    std::vector<ExportPart> parts;
    std::vector<int> frames;  // the frames exported, in order
    float scale = 0.0254f;    // metres a game unit
};

// The mesh of the model's frames first to last (all of them when first is -1);
// a model of tags only has no parts. False, with the fault in error, when the
// range is not the model's.
bool MakeExportMesh(const ModelObject& model, int first, int last, float scale, ExportMesh& mesh, std::string& error);

// One exported frame's positions and normals of an exported part's layout
// vertices, in glTF's axes; positions in metres.
void ExportFrame(const ModelObject& model, const ExportMesh& mesh, int part, int frame, std::vector<float>& positions,
                 std::vector<float>& normals);

// The picture (an index into skinPictures) a part wears in a skin, or -1.
int PartPicture(const ModelObject& model, int skin, int part);
// The shader (an index into the model's shaders) a part wears in a skin, or -1.
int PartShaderIndex(const ModelObject& model, int skin, int part);

// A skin set's name as stored, up to its NUL.
std::string SkinName(const ModelObject& model, int skin);
// The frame's name as stored, up to its NUL.
std::string FrameNameOf(const ModelObject& model, int frame);

// A frame sequence as the viewer forms them: consecutive frames whose names
// are the same without their trailing digits.
struct FrameSequence {
    std::string name;
    size_t first;  // into ExportMesh::frames
    size_t count;
};
std::vector<FrameSequence> FrameSequences(const ModelObject& model, const ExportMesh& mesh);

// When each exported frame is shown, from 0: a frame a 1/fps seconds, an
// MDL frame group's pictures at their own intervals.
std::vector<float> FrameTimes(const ModelObject& model, const ExportMesh& mesh, double fps);

// A skin as the bytes of a PNG file: a PNG skin's own pixels, any other
// encoded, with the alpha a shader's picture keeps.
bool SkinPng(const RgbImage& picture, std::string& png);
