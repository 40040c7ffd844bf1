#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/file_bytes.h"

namespace {

char pendingFile[4096];

// A fresh file beside path holding the pieces one after another; empty with
// error set when it could not be made.
std::string WriteTemporary(const std::string& path, const std::vector<FilePiece>& pieces, std::string& error)
{
    std::string name = CreateTemporaryBeside(path, error);
    int descriptor = name.empty() ? -1 : open(name.c_str(), O_WRONLY | O_TRUNC);
    if (descriptor < 0) {
        if (!name.empty())
            unlink(name.c_str());
        error = error.empty() ? std::string("cannot be written: ") + strerror(errno) : error;
        return std::string();
    }
    bool written = true;
    for (const FilePiece& piece : pieces)
        written = written && WriteAllBytes(descriptor, piece.bytes, piece.size);
    if (close(descriptor) != 0 || !written) {
        error = std::string("cannot be written: ") + strerror(errno);
        unlink(name.c_str());
        return std::string();
    }
    return name;
}

}  // namespace

std::string TemporaryPrefix(pid_t process)
{
    return ".tarnivel-" + std::to_string(process) + "-";
}

const char* PendingFile()
{
    return pendingFile;
}

std::string CreateTemporaryBeside(const std::string& path, std::string& error)
{
    size_t slash = path.rfind('/');
    std::string temporary =
        (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + TemporaryPrefix(getpid()) + "XXXXXX";
    if (temporary.size() >= sizeof pendingFile) {
        error = "the path is too long";
        return std::string();
    }
    snprintf(pendingFile, sizeof pendingFile, "%s", temporary.c_str());
    int descriptor = mkstemp(pendingFile);
    if (descriptor < 0) {
        error = std::string("cannot write into its folder: ") + strerror(errno);
        pendingFile[0] = '\0';
        return std::string();
    }
    mode_t mask = umask(0);
    umask(mask);
    fchmod(descriptor, 0666 & ~mask);  // as a plain new file would be
    close(descriptor);
    return pendingFile;
}

bool MoveIntoPlace(const std::string& temporary, const std::string& path, bool written, std::string& error)
{
    if (written && rename(temporary.c_str(), path.c_str()) == 0) {
        pendingFile[0] = '\0';
        return true;
    }
    if (written)
        error = std::string("cannot be renamed into place: ") + strerror(errno);
    unlink(temporary.c_str());
    pendingFile[0] = '\0';
    return false;
}

bool WriteFilesAtomically(const std::vector<std::pair<std::string, std::string>>& files, std::string& error)
{
    std::vector<std::pair<std::string, FilePiece>> pieces;
    for (const auto& file : files)
        pieces.push_back({file.first, {file.second.data(), file.second.size()}});
    return WriteFilesAtomically(pieces, error);
}

bool WriteFilesAtomically(const std::vector<std::pair<std::string, FilePiece>>& files, std::string& error)
{
    std::vector<std::string> temporaries;
    for (const auto& file : files) {
        std::string temporary = WriteTemporary(file.first, {file.second}, error);
        if (temporary.empty())
            break;
        temporaries.push_back(temporary);
    }
    bool renamed = temporaries.size() == files.size();
    for (size_t i = 0; renamed && i < files.size(); ++i) {
        if (rename(temporaries[i].c_str(), files[i].first.c_str()) != 0) {
            error = std::string("cannot be renamed into place: ") + strerror(errno);
            for (size_t k = 0; k < i; ++k)
                unlink(files[k].first.c_str());
            renamed = false;
        }
    }
    if (!renamed)
        for (const std::string& temporary : temporaries)
            unlink(temporary.c_str());
    pendingFile[0] = '\0';
    return renamed;
}

bool WriteFileAtomically(const std::string& path, const std::string& bytes, std::string& error)
{
    return WriteFilesAtomically({{path, bytes}}, error);
}

bool WritePiecesAtomically(const std::string& path, const std::vector<FilePiece>& pieces, std::string& error)
{
    std::string temporary = WriteTemporary(path, pieces, error);
    return !temporary.empty() && MoveIntoPlace(temporary, path, true, error);
}
