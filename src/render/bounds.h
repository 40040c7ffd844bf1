#pragma once

#include "model/model.h"

// The bounds of the frames a model and every part hanging on it show, in
// the model's own OpenGL axes; false when none has vertices.
bool AssemblyBounds(ModelObject* root, float min[3], float max[3]);
