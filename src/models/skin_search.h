#pragma once

#include <string>
#include <vector>

// The files an MD2 skin name may mean, in the order they are tried: PCX
// first, then true colour. Each is looked for against the game's base folder
// (found by matching the name's leading folder in the model's path), the
// model's own folder, and the working directory.
std::vector<std::string> Md2SkinCandidates(const std::string& skinName, const std::string& modelPath);

// The path as given when it exists, else a file in the same folder whose
// name differs only in case; empty when there is none.
std::string FindFileIgnoringCase(const std::string& path);
