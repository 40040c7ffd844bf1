#pragma once

// A model's looks as a game takes them: the name each surface wears (a
// shader script's, or the path of its picture in the game), the pictures
// written beside the model, and a .skin file a skin set.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "model/model.h"

using OutputFiles = std::vector<std::pair<std::string, std::string>>;  // path, bytes

struct GameLooks {
    std::string gameFolder;  // the model's folder as the game names it: "models/mapobjects/walker/"
    std::vector<std::string> skinNames;             // by skin set, plain: "default", "red"
    std::vector<std::vector<std::string>> shaders;  // by skin set, by part: what it wears; "" for nothing
    OutputFiles pictures;                           // beside the model, PNG
};

// The looks of a model written as folder/prefix.EXT: its pictures named
// prefix.png (prefix_2.png... when it has more). A surface drawn from a
// shader script keeps the script's name, the game's own. The game folder
// is the output's from its "models/" on; elsewhere "models/KIND/FOLDER/"
// (kind "players/", or ""), said in notes. False when a picture cannot be
// made a PNG.
bool MakeGameLooks(const ModelObject& model, const std::string& folder, const std::string& prefix,
                   const std::string& kind, GameLooks& looks, std::vector<std::string>& notes, std::string& error);

// A folder as the game names it, from its last "models/" on; elsewhere
// "models/KIND/NAME/", said in notes.
std::string GameFolder(const std::string& folder, const std::string& kind, std::vector<std::string>& notes);
// A skin set's name fit for a file name: "red"; "skinN" for none.
std::string PlainSkinName(const ModelObject& model, int skin);

// The folder of a path, with its "/" ("" for none), and its file name without the extension.
std::string FolderOf(const std::string& path);
std::string StemOf(const std::string& path);

// A .skin file a skin set, STEM_NAME.skin as a Quake III player's are
// named, for each surface the name its part wears in that set.
void AddSkinFiles(const GameLooks& looks, const std::vector<std::string>& surfaces,
                  const std::vector<size_t>& partOf, const std::string& stemPath, OutputFiles& files);

// The models' files (held by the caller) and the others, all written or none.
bool WriteGameFiles(const std::vector<std::pair<std::string, const std::vector<uint8_t>*>>& models,
                    const OutputFiles& others, std::string& error);
