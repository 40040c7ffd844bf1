#pragma once

#include <string>
#include <vector>

// The game-relative names an MD2 skin name may mean, in the order they are
// tried: PCX first, then true colour. Empty for a name that starts with a
// dot (".body"), which names a file beside the model.
std::vector<std::string> Md2SkinGameNames(const std::string& skinName);

// The last resort, after the game's search path: the same names looked for
// against the game's base folder (found by matching the name's leading
// folder in the model's path), the model's own folder, and the working
// directory. The model may lie inside an archive.
std::vector<std::string> Md2SkinCandidates(const std::string& skinName, const std::string& modelPath);
