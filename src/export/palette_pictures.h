#pragma once

// Skins in a game's 256 colours, for the formats that keep them so.
#include <cstdint>
#include <string>
#include <vector>

#include "export/export_model.h"
#include "formats/truecolour.h"
#include "looks/palettes.h"

// The game's palette for a written model: --palette FILE (a palette file,
// or a PCX's palette), else the one the viewer finds for the output, else
// for the source; false when there is none (error says where it was looked
// for) or the file given cannot be read.
bool ExportPalette(const ModelObject& model, const ExportRequest& request, QuakeGame game, uint8_t palette[768],
                   std::string& error);

// What a game's indices mean: those below plain are lit; Quake's 224-254
// glow in the dark (glowFirst); index transparent (Quake 2's 255) is see-through.
struct PaletteRules {
    int plain = 256;
    int glowFirst = 256;
    int transparent = -1;
};
PaletteRules QuakePaletteRules();
PaletteRules Quake2PaletteRules();

// A picture's indices. A picture wholly in the palette's colours keeps its
// indices (it was drawn in them); another takes the nearest lit colour, or
// the nearest glowing one where glows is set; see-through pixels (alpha
// under half) the transparent index. glowing: how many pixels glow.
std::vector<uint8_t> ToPalette(const RgbImage& picture, const std::vector<uint8_t>& glows,
                               const uint8_t palette[768], const PaletteRules& rules, size_t& glowing);
