#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "formats/palette.h"

// The game whose palette a skin's indices are in.
enum class QuakeGame { kQuake, kQuake2 };

// The two game palettes, 256 R G B entries each, loaded once at start-up
// when the working directory or the user data folder holds them.
extern uint8_t mdlPalette[768];
extern uint8_t md2Palette[768];
extern bool mdlPaletteLoaded;
extern bool md2PaletteLoaded;

// Reads the first 768 bytes of a palette file; bytes after them are ignored.
PaletteResult ReadPaletteFile(const char* path, uint8_t palette[768]);

// Where a palette is looked for after the working directory: the user's
// data folder ($XDG_DATA_HOME/tarnivel, or ~/.local/share/tarnivel), then
// the installed one (<prefix>/share/tarnivel, beside the program's bin/),
// which every user and the file managers' sandboxed thumbnailers can read.
std::string UserPaletteDirectory();
std::string SystemPaletteDirectory();
std::vector<std::string> PaletteDirectories();
// The same folders as text for a report: each followed by ", ".
std::string PaletteFoldersText();

// Start-up: the palettes of the working directory or the data folders, when
// they hold them. Nothing is reported: a palette is missed only when a model
// that needs it can get none.
bool LoadMDLPalette();
bool LoadMD2Palette();

// The base game folders beside a mod whose files the model's game may use.
std::vector<std::string> BaseGameFolders(QuakeGame game);

// A game's palette from the file that holds it: gfx/palette.lmp for Quake,
// the 256-colour palette of pics/colormap.pcx for Quake 2.
const char* GamePaletteFile(QuakeGame game);
bool DecodeGamePalette(QuakeGame game, const uint8_t* bytes, size_t size, uint8_t palette[768]);

// The palette of a model's indexed skins: the one loaded at start-up, else
// its game's, found along the game's search path; null when there is none.
// A palette other than the working directory's is named on the console.
const uint8_t* ModelPalette(QuakeGame game, const std::string& modelPath);
// True the first time in a run that a model can get no palette of the type:
// a missing palette is reported once.
bool FirstMissingPalette(QuakeGame game);
