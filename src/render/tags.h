#pragma once

#include "model/model.h"

// The named tag of a model where it was last drawn: its window's tags
// blended by the viewer's interpolation at the fraction shown, the axes made
// orthonormal again, as a column-major matrix in OpenGL's axes. The identity
// when the model has no such tag.
void TagMatrix(const ModelObject* model, const std::string& name, float matrix[16]);

// Multiplies the modelview matrix by where the model stands: its placement,
// or for a part hanging on another model's tag, that model's place and tag.
void ApplyModelPlacement(const ModelObject* model);

// False for a part the rig hides in the animation of the part carrying it
// (a weapon's flash while the torso is not attacking).
bool ModelShown(const ModelObject* model);

// The model that carries this one, through every tag; the model itself
// when it hangs on none.
const ModelObject* RootModel(const ModelObject* model);

// Where a part stands in the axes of the model that carries it all, as a
// column-major matrix.
void ChainMatrix(const ModelObject* model, float matrix[16]);
