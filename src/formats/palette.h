#pragma once

#include <cstddef>
#include <cstdint>

enum class PaletteResult { kOk, kCannotOpen, kShort };

// A palette file's first 768 bytes, 256 R G B entries; bytes after them are ignored.
PaletteResult ReadPaletteBytes(const uint8_t* bytes, size_t size, uint8_t palette[768]);
// The 256-colour palette a PCX image carries (Quake 2 keeps its palette in
// pics/colormap.pcx); false when the image has none.
bool ReadPcxPalette(const uint8_t* bytes, size_t size, uint8_t palette[768]);
