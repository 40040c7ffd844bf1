#pragma once

#include <memory>
#include <string>

#include "model/model.h"
#include "rig/assembly.h"

// Loads a model (asking for the file when path is null), makes its skin
// textures and display list, links it at the head of the list and makes it
// current. Null after a report or a cancel.
ModelObject* AddModel(const char* path);

// Loads a model whatever it is (a model file, or a Quake III player folder
// with the weapon when one is named), makes each piece's skin textures and
// display list, links the pieces at the head of the list and makes the one
// that carries the others current. Null after the reports, nothing added.
ModelObject* OpenModel(const std::string& path, const std::string& weapon = std::string());
// The same for pieces already loaded.
ModelObject* AddAssembly(Assembly assembly);

// A loaded model in place of the model, which is released; the new one
// keeps its placement, material and the tag it hangs on, and becomes
// current. Null after the reports a failed load gives, the old model left
// as it was.
ModelObject* ReplaceModel(ModelObject* old, std::unique_ptr<ModelObject> loaded);

// Removes every model, as "Remove Model" does one (with the parts that
// hang on it).
void ReleaseAllModels();

// Command handlers.
void LoadModel(float unused = 0.0f);
void RemoveModel(float unused = 0.0f);
void NextModel(float unused = 0.0f);
// The current model again with the next body number (a Half-Life model's
// sub-models), its skin and frame kept.
void NextBody(float unused = 0.0f);
