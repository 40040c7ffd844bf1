#pragma once

// A Quake III model's load with its skin sets, and its drawn form.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "formats/md3.h"
#include "model/model.h"

// The record's surfaces as parts with their triangles, and its tags: the
// drawn form but for the parts' frames.
DrawnModel Md3Shape(const Md3File& file);
// The drawn form of a record, which must outlive it (its frames are read in place).
DrawnModel ConvertRecord(const Md3File& file);

// A model of the record's frame names and skins (its .skin files' sets,
// else its surfaces' shaders), with no drawn form yet.
std::unique_ptr<ModelObject> Md3LookedModel(const char* path, const Md3File& file, const char* who);

// The .skin files beside an MD3, "lower.md3"'s "lower_NAME.skin": each
// set's name and path, "default" first.
std::vector<std::pair<std::string, std::string>> Md3SkinFiles(const std::string& modelPath);
