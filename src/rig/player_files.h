#pragma once

// The files of a Quake III player and of the weapons of its game, with no
// OpenGL: what the viewer assembles and the exports write.
#include <string>
#include <vector>

#include "formats/animation_cfg.h"

// A player folder: animation.cfg with lower.md3, upper.md3 and head.md3
// (or some of them: the rest of a player is drawn), loose or inside an archive.
bool IsQ3PlayerFolder(const std::string& path);
// The path with one "/" at its end.
std::string AsFolder(std::string path);

// The player folders directly inside a folder (its path ending in "/"),
// loose or inside an archive, each ending in "/"; in no order.
std::vector<std::string> PlayerFoldersIn(const std::string& folder);

// The animations of the folder's animation.cfg; false after a report.
bool ReadPlayerAnimations(const std::string& folder, std::vector<PlayerAnimation>& animations);

// The animations a part plays (the legs', or the torso's), each kept within
// the part's frames: one that runs past them stops at the last, with one
// report naming it and file.
std::vector<PlayerAnimation> PartAnimations(const std::vector<PlayerAnimation>& all, bool legs, int frames,
                                            const std::string& file);

// The weapons of the player's game, models/weapons2/NAME/NAME.md3 along its
// search path: their names, in order.
std::vector<std::string> GameWeapons(const std::string& playerFolder);
// The weapon's model: a NAME of the game's weapons, or a path to a weapon's
// .md3 or its folder; empty, after a report naming who, when there is none.
std::string WeaponModelPath(const char* who, const std::string& playerFolder, const std::string& weapon);
// The weapon's part beside its model ("_barrel", "_flash"); empty when it has none.
std::string WeaponPartPath(const std::string& weaponModel, const char* suffix);
