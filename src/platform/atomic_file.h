#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

// Bytes to write, held by the caller.
struct FilePiece {
    const void* bytes;
    size_t size;
};

// Writes files so that no partial or empty one ever stands at a path: each
// into a fresh name in its folder, then all renamed into place. False with
// the fault in error, and nothing left behind.
bool WriteFilesAtomically(const std::vector<std::pair<std::string, std::string>>& files, std::string& error);
// The same for bytes held elsewhere.
bool WriteFilesAtomically(const std::vector<std::pair<std::string, FilePiece>>& files, std::string& error);
bool WriteFileAtomically(const std::string& path, const std::string& bytes, std::string& error);

// One file of pieces written one after another, so that large ones need not be joined first.
bool WritePiecesAtomically(const std::string& path, const std::vector<FilePiece>& pieces, std::string& error);

// The same for a writer that opens the file itself: a fresh empty file
// beside path (empty, with error set, when none could be made), then, once
// written, renamed to path, or removed when it was not written or cannot be.
std::string CreateTemporaryBeside(const std::string& path, std::string& error);
bool MoveIntoPlace(const std::string& temporary, const std::string& path, bool written, std::string& error);

// How the temporary files a process writes are named: several processes
// writing into one folder each clear only their own.
std::string TemporaryPrefix(pid_t process);

// The temporary file being written now, or empty: a process ended by a
// signal removes it.
const char* PendingFile();
