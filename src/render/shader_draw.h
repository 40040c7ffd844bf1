#pragma once

// A part drawn with its shader as the Quake III renderer draws one: a pass
// a stage, each with its image, blending, alpha test, depth, colour and
// texture coordinates, on the viewer's animation clock.
#include <functional>

#include "model/model.h"
#include "render/frame_arrays.h"

// The shader the part wears in the skin drawn; null when it wears a picture
// alone (or nothing), which is drawn lit in one pass.
const ModelShader* PartShader(const ModelObject* model, int part);
// True when the part is drawn with the first, opaque ones.
bool PartIsOpaque(const ModelObject* model, int part);
float PartSort(const ModelObject* model, int part);
// True when a shader the part wears in some skin works on its vertices at
// every draw, so its arrays are kept.
bool PartNeedsVertices(const ModelObject* model, int part);

// Draws the part once per pass. geometry sends the part as compiled (its
// list or arrays); a shader that works on the vertices draws from vertices,
// the part's arrays, instead.
void DrawShadedPart(const ModelObject* model, const ModelShader& shader, const std::function<void()>& geometry,
                    const FrameGeometry* vertices);
