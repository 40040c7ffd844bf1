#pragma once

// A Quake model's load, the skins it holds, and its drawn form.
#include <cstdint>

#include "formats/mdl.h"
#include "model/model.h"

// The drawn form of a record, which must outlive it (its frames are read in place).
DrawnModel ConvertRecord(const MdlFile& file);

// Makes the skin picture the model's next skin.
int ReadMDLSkin(const MdlFile& file, const MdlSkinPicture& picture, const uint8_t* palette, ModelObject* model);
