#pragma once

// A Quake III player whole as one glTF scene: the legs, the torso on their
// tag_torso, the head on the torso's tag_head (and a weapon on its
// tag_weapon, the weapon's barrel and flash on its own tags), each a mesh
// whose frames are morph targets, moved by the tags frame by frame; an
// animation for each sequence its parts play, moving only the parts it
// moves.
#include <string>
#include <vector>

#include "export/export_model.h"
#include "formats/animation_cfg.h"
#include "model/model.h"
#include "rig/assembly.h"

struct PlayerPiece {
    const ModelObject* model;
    int parent;       // the piece it hangs on; -1 for the legs
    std::string tag;  // the parent's tag it hangs on
};

struct PlayerExport {
    std::string name;
    std::vector<PlayerPiece> pieces;  // the one that carries the others first
};

// Writes the player; false with the fault in error, and no file.
bool WritePlayerGltf(const PlayerExport& player, const ExportRequest& request, bool binary, std::string& error);

// A player as a Quake III player folder, OUT.md3 less its extension:
// lower.md3, upper.md3, head.md3, animation.cfg, pictures and .skin files.
bool WritePlayerFolder(const Assembly& assembly, const ExportRequest& request, std::string& error);

// Writes a model whatever it is: a model alone as ExportModel writes it,
// pieces hung on each other (a player) as one glTF scene or a player
// folder. False with the fault in error, and no file.
bool ExportAssembly(const Assembly& assembly, const ExportRequest& request, std::string& error);
