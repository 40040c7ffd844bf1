#pragma once

#include <vector>

#include "model/model.h"

// Compiles the model's display list for its frame window at fraction.
void UpdateModelDisplayList(ModelObject* model, float fraction);
void UpdateAllDisplayLists();
// The running clock's rebuild: geometry that changes every displayed frame
// is kept in the model's arrays and drawn from them, not compiled into a
// list that would be called once.
void UpdateModelFrameArrays(ModelObject* model, float fraction);
// Once the clock stops, models drawn from arrays get their display list back.
void SettleStillModels();
// What the display calls for a model: each part's list, or its arrays,
// with the part's texture bound when texturing is on, or drawn a pass a
// stage of its shader.
void DrawModelGeometry(const ModelObject* model);
// The display draws the parts of opaque looks model by model, then the
// others of every model, sorted as their shaders say.
void DrawOpaqueParts(const ModelObject* model);
void DrawModelPart(const ModelObject* model, int part);
struct ModelPart {
    const ModelObject* model;
    int part;
    float sort;
};
std::vector<ModelPart> BlendedParts();
// The bounds of the frame the model shows (its window at fraction 0, not
// remeshed), in the model's own OpenGL axes; false when it has no vertices.
bool ModelFrameBounds(ModelObject* model, float min[3], float max[3]);
// Sends one part of the model's frame window at fraction (cut to 1) into
// the list being compiled, or draws it at once.
void DrawModelFrame(ModelObject* model, int part, float fraction);
