#pragma once

#include <string>
#include <vector>

// The folder the real-file corpus was fetched into (tests/corpus/fetch-corpus.sh):
// $TARNIVEL_CORPUS, or the build's default cache folder.
std::string CorpusFolder(const char* defaultFolder);
// ufoai-data's model archive in it.
std::string CorpusArchive(const std::string& folder);
// Every MD2 model inside that archive, as archive paths in name order; empty without the corpus.
std::vector<std::string> CorpusModels(const std::string& folder);
// The Quake models of Debian's ktx, loose files in name order.
std::vector<std::string> CorpusQuakeModels(const std::string& folder);
// Every MD3 model inside the OpenArena archives (baseoa's, then
// missionpack's) as archive paths.
std::vector<std::string> CorpusMd3Models(const std::string& folder);
// Red Eclipse's IQM and MD5 mesh files, loose under redeclipse/data, in name order.
std::vector<std::string> CorpusSkeletalModels(const std::string& folder);
// Every model of Nexuiz's data.pk3 of a format the viewer reads, as archive paths in name order.
std::vector<std::string> CorpusNexuizModels(const std::string& folder);
