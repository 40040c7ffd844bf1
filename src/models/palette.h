#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The two game palettes, 256 R G B entries each, loaded once at start-up.
extern uint8_t mdlPalette[768];
extern uint8_t md2Palette[768];

enum class PaletteResult { kOk, kCannotOpen, kShort };

// Reads the first 768 bytes of a palette file; bytes after them are ignored.
PaletteResult ReadPaletteFile(const char* path, uint8_t palette[768]);
PaletteResult ReadPaletteBytes(const uint8_t* bytes, size_t size, uint8_t palette[768]);

// Where a palette is looked for after the working directory:
// $XDG_DATA_HOME/tarnivel, or ~/.local/share/tarnivel.
std::string UserPaletteDirectory();

// Start-up: a missing or short palette ends the program with status 0.
void LoadMDLPalette();
void LoadMD2Palette();
