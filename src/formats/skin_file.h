#pragma once

#include <string>
#include <vector>

#include "formats/reports.h"

// A Quake III .skin file: which image each surface of a model wears, a line
// "surface,image" each (or DarkPlaces' "replace surface image"); "tag_"
// lines name tags and are passed over.
struct SkinFileEntry {
    std::string surface;  // lower case, as the engines compare them
    std::string image;    // a game path; empty leaves the surface untextured
};

// False after a report naming the fault (a line too long, or one that is
// not "name,path").
bool ReadSkinFile(const std::string& text, std::vector<SkinFileEntry>& entries, Reports& reports);

// The entries as a file's text, a line each.
std::string WriteSkinFile(const std::vector<SkinFileEntry>& entries);
