#pragma once

// A Quake III model's load with its skin sets, and its drawn form.
#include <string>
#include <utility>
#include <vector>

#include "formats/md3.h"
#include "model/model.h"

// The drawn form of a record, which must outlive it (its frames are read in place).
DrawnModel ConvertRecord(const Md3File& file);

// The .skin files beside an MD3, "lower.md3"'s "lower_NAME.skin": each
// set's name and path, "default" first.
std::vector<std::pair<std::string, std::string>> Md3SkinFiles(const std::string& modelPath);
