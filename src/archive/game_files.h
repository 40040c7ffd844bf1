#pragma once

#include <cstdint>
#include <string>
#include <vector>


// A game file is a loose file or a member of an archive, named by the
// archive's path followed by the member's: ".../id1/pak0.pak/progs/ogre.mdl".

// Splits a path at the first archive file on disk it passes through; false
// for a path that goes through none (a loose file).
bool SplitArchivePath(const std::string& path, std::string& archive, std::string& member);
// True when the path itself is an archive file on disk.
bool IsArchiveFile(const std::string& path);

enum class GameFileResult { kOk, kMissing, kTooLarge, kBadArchive, kReadError };

// Reads a game file whole. kBadArchive and kReadError come with the fault
// in error, naming the archive.
GameFileResult ReadGameFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error);

// The game file as named when it exists, else one whose last part differs
// only in case; empty when there is none.
std::string FindGameFile(const std::string& path);

// The files directly inside a folder (its path ending in "/"), loose or
// inside an archive, each as a game path; in no order.
std::vector<std::string> GameFolderFiles(const std::string& folder);

// Where a game looks for the files its models name, in order: each place is
// a loose folder (ending in "/") or an archive. For a model inside a game
// folder: that folder, its archives (pakN.pak from the highest N down, then
// .pk3 files in reverse name order), then the first of the base game folders
// beside it that exists (id1 for Quake; baseq2 or base for Quake 2) the same
// way. Empty when the model lies in no game folder.
std::vector<std::string> GameSearchPlaces(const std::string& modelPath, const std::vector<std::string>& baseFolders,
                                          const std::string& nameHint = std::string());
// The archives a game reads in a folder (its path ending in "/"), in the
// order it searches them: pakN.pak from the highest N down, then .pk3
// files in reverse name order.
std::vector<std::string> GameArchivesOf(const std::string& folder);
// The first of the places holding the game-relative name (ignoring case); empty when none does.
std::string FindInPlaces(const std::vector<std::string>& places, const std::string& name);
