#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What a batch export writes: the models of archives and folders, each
// named by its path inside them, Quake III players whole.
struct ExportItem {
    std::string source;  // the game path: a model, or a player folder ending in "/"
    std::string name;    // its path in the output, without extension: "models/monsters/ogre"
    std::string format;  // the model's extension, or "player"
    int64_t modified = 0;  // nanoseconds: its file's, its archive's, or a loose player's newest part's
    bool holdsWeapon = false;  // a Quake III player, which holds the export's weapon
};

// Every model of the sources (archives, folders searched below with their
// archives, model files), in name order. Within a folder a name two places
// give comes from the first its game searches (the loose file, then pakN.pak
// from the highest N, then .pk3 files last name first); across sources the later source's serves, as
// a mod named after its base game. Models of one folder whose names differ
// only in extension keep it ("tris.md2", "tris.mdl"). False with the fault
// in error when a source cannot be read; none found is no fault.
bool FindExportItems(const std::vector<std::string>& sources, std::vector<ExportItem>& items, std::string& error);

// A file's time of change in nanoseconds; -1 when there is no such file.
int64_t ModifiedTime(const std::string& file);
