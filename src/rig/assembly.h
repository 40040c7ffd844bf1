#pragma once

// A model whatever it is, to every command: one model file, or the parts
// of a Quake III player folder hung on each other's tags, with their
// animations and a weapon in hand; loaded the same way for the viewer,
// pictures and export.
#include <memory>
#include <string>
#include <vector>

#include "model/model.h"

struct Assembly {
    std::string name;  // the file's name without its extension, or the player folder's
    // The piece that carries the others first; each other hangs on one
    // before it (attachedTo, attachTag). Parts that play animations have
    // them (sequences), started in their rest animation.
    std::vector<std::unique_ptr<ModelObject>> pieces;
    int legs = -1, torso = -1;  // the pieces that play a player's legs' and torso's animations
};

// Loads a model file or a player folder (any of its parts may be missing:
// the rest is loaded, each missing part reported), with the weapon when
// one is named (a name of the game's weapons, or a path to one). False
// after the reports, nothing kept: the weapon for anything but a player, a
// player with no part that loads, or a weapon that does not.
bool LoadAssembly(const char* who, const std::string& path, const std::string& weapon, Assembly& assembly);

// The weapon alone, the first piece, with its barrel and flash hanging on it
// where it has their tags; false after the reports.
bool LoadWeapon(const char* who, const std::string& playerFolder, const std::string& weapon, Assembly& assembly);

// Shows a part's animation from its first frame.
void StartSequence(ModelObject* part, int index);
