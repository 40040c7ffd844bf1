#pragma once

#include <string>
#include <vector>

// The folder the ufoai-data models were fetched into: $TARNIVEL_CORPUS, or
// the build's default cache folder.
std::string CorpusFolder(const char* defaultFolder);
// Every .md2 file below it, in name order; empty when there is none.
std::vector<std::string> CorpusModels(const std::string& folder);
