#pragma once

#include <memory>

#include "model/model.h"

// Loads a model (asking for the file when path is null), makes its skin
// textures and display list, links it at the head of the list and makes it
// current. Null after a report or a cancel.
ModelObject* AddModel(const char* path);

// Loads a model file in place of the model, which is released; the new one
// keeps its placement and material and becomes current. Null after the
// reports a failed load gives, the old model left as it was.
ModelObject* ReplaceModel(ModelObject* old, const char* path);

// Removes every model, as "Remove Model" does one (with the parts that
// hang on it).
void ReleaseAllModels();

// Command handlers.
void LoadModel(float unused = 0.0f);
void RemoveModel(float unused = 0.0f);
void NextModel(float unused = 0.0f);
