#pragma once

// DarkPlaces' own files beside a model, named after the model's whole file
// name, for every format the engine applies them to: NAME.EXT_0.skin,
// NAME.EXT_1.skin... (skin sets) and NAME.EXT.framegroups (its frames'
// runs as sequences).
#include <string>
#include <vector>

#include "formats/framegroups.h"
#include "formats/skin_file.h"
#include "looks/surface_looks.h"

// The model a file NAME_lodN.EXT is a level of detail of, NAME.EXT in the
// same folder (as DarkPlaces' games ship them), and N; empty when it is none.
std::string LevelOfDetailOf(const std::string& path, const std::vector<std::string>& folderFiles, int* level);

struct NumberedSkin {
    std::string name;  // "0", "1"...
    std::vector<SkinFileEntry> entries;
};
// The model's numbered skin files that read, from _0 on until one is missing.
std::vector<NumberedSkin> NumberedSkins(const std::string& modelPath);

// A skin set a numbered skin file makes: each part (by name) the image the
// file gives it, else the look named in defaults.
void AddNumberedSkinSet(ModelLooks* model, const NumberedSkin& skin, const std::vector<std::string>& parts,
                        const std::vector<std::string>& defaults, SurfaceLooks& looks);

// The model's frame groups; empty when it has none (what cannot be read is reported).
std::vector<FrameGroupRun> FrameGroupsBeside(const std::string& modelPath);

// The frame names the groups give a model of frames (NAME1, NAME2...): a
// group over frames an earlier one named keeps their names, reported.
void NameGroupFrames(const std::vector<FrameGroupRun>& groups, std::vector<std::string>& names);

// The group within the model's frames, as the engine bounds it: its first
// frame one of them, at least one frame and none past the last.
FrameGroupRun BoundGroup(FrameGroupRun group, size_t frames);
