#pragma once

// A Quake 2 model's load, its skins found by name, and its drawn form.
#include <cstdint>

#include "formats/md2.h"
#include "model/model.h"

// The drawn form of a record, which must outlive it (its frames are read in place).
DrawnModel ConvertRecord(const Md2File& file);

// The named skin as the model's next skin, when an image for it can be
// found. PCX skins use palette (the Quake 2 one; null when there is none).
int ReadMD2Skin(const Md2SkinName& name, const char* modelPath, const uint8_t* palette, ModelObject* model);
