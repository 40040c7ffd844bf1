#pragma once

// Any model as a Quake III MD3 record.
#include <string>
#include <vector>

#include "export/export_model.h"
#include "export/game_frames.h"
#include "formats/md3.h"

// The model's frames as an MD3 record at scale (game units a model's
// unit), each part a surface wearing the shader name given for it (none
// for ""), split under ioquake3's limits; what it changed in notes. False,
// with the fault in error, past the format's frames, surfaces or tags, or
// its reach of 512 units (naming the --scale that fits).
// The part each surface was made of comes back in surfaceParts.
bool MakeMd3(const ModelObject& model, const std::vector<GameFrame>& frames, float scale,
             const std::vector<std::string>& shaders, Md3File& file, std::vector<size_t>& surfaceParts,
             std::vector<std::string>& notes, std::string& error);

