#include "looks/palette_extract.h"

#include <sys/stat.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "archive/archive.h"
#include "looks/palettes.h"
#include "platform/file_bytes.h"

namespace {

struct FileCloser {
    void operator()(FILE* file) const { fclose(file); }
};

bool SameBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::vector<uint8_t> existing;
    return ReadFileBytes(path.c_str(), existing) == FileReadResult::kOk && existing == bytes;
}

bool SavePalette(const std::string& directory, const char* name, const std::vector<uint8_t>& palette,
                 bool replace, std::string& log)
{
    std::string path = directory + "/" + name;
    struct stat info;
    bool exists = stat(path.c_str(), &info) == 0;
    if (exists && SameBytes(path, palette)) {
        log += path + " is already this palette; left as it is\n";
        return true;
    }
    if (exists && !replace) {
        log += path + " exists and holds another palette; not overwritten (--replace replaces it)\n";
        return false;
    }
    std::unique_ptr<FILE, FileCloser> file(fopen(path.c_str(), "wb"));
    if (!file || fwrite(palette.data(), 1, palette.size(), file.get()) != palette.size() ||
        fclose(file.release()) != 0) {
        log += "could not write " + path + "\n";
        return false;
    }
    log += (exists ? "Replaced " : "Wrote ") + path + "\n";
    return true;
}

// One palette of the archive: 0 when it holds none, 1 when it was saved, -1 on a fault.
int ExtractOne(const Archive& archive, QuakeGame game, const char* saveAs, const std::string& directory,
               bool replace, std::string& log)
{
    const char* member = GamePaletteFile(game);
    const ArchiveEntry* entry = FindArchiveEntry(archive, member);
    if (!entry)
        return 0;
    std::vector<uint8_t> bytes, palette(768);
    std::string error;
    if (!ReadArchiveEntry(archive, *entry, bytes, error) ||
        !DecodeGamePalette(game, bytes.data(), bytes.size(), palette.data())) {
        log += archive.path + ": " + member +
               (game == QuakeGame::kQuake ? " is shorter than 768 bytes\n" : " has no 256-colour palette\n");
        return -1;
    }
    return SavePalette(directory, saveAs, palette, replace, log) ? 1 : -1;
}

}  // namespace

bool ExtractPalettes(const char* archivePath, const std::string& directory, bool replace, std::string& log)
{
    std::string error;
    std::shared_ptr<const Archive> archive = OpenArchive(archivePath, error);
    if (!archive) {
        log += std::string(archivePath) + ": " + error + "\n";
        return false;
    }
    int quake = ExtractOne(*archive, QuakeGame::kQuake, "palette.lmp", directory, replace, log);
    int quake2 = ExtractOne(*archive, QuakeGame::kQuake2, "palette_MD2.lmp", directory, replace, log);
    if (quake == 0 && quake2 == 0) {
        log += std::string(archivePath) + ": holds neither gfx/palette.lmp nor pics/colormap.pcx\n";
        return false;
    }
    return quake >= 0 && quake2 >= 0;
}
