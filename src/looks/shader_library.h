#pragma once

// The shader scripts of a game: every scripts/*.shader along its search
// path, read once a run, and found by name as the engines find them.
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "formats/shader_script.h"

struct ShaderLibrary {
    std::unordered_map<std::string, std::shared_ptr<const ShaderScript>> byName;  // by ShaderKey
    int files = 0;
};

// The scripts of the search places (loose folders ending in "/", and
// archives, searched first to last). As ioquake3 (the engine OpenArena runs
// on) does: a script file of a name is taken from the first place holding
// it; the files are read in reverse name order, and of a name defined more
// than once the first definition read serves. The faults of each file are
// reported once, when the library is first read.
const ShaderLibrary& ShaderLibraryOf(const std::vector<std::string>& places);

// The script of that shader name (any case, "\" or "/", with or without an
// extension); null when no script defines it.
const ShaderScript* FindShaderScript(const ShaderLibrary& library, const std::string& name);
