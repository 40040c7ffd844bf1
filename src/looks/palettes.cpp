#include "looks/palettes.h"

#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <vector>

#include "archive/game_files.h"
#include "platform/error_log.h"
#include "platform/paths.h"

uint8_t mdlPalette[768];
uint8_t md2Palette[768];
bool mdlPaletteLoaded = false;
bool md2PaletteLoaded = false;

PaletteResult ReadPaletteFile(const char* path, uint8_t palette[768])
{
    FILE* file = fopen(path, "rb");
    if (!file)
        return PaletteResult::kCannotOpen;
    uint8_t bytes[768];
    size_t read = fread(bytes, 1, sizeof bytes, file);
    fclose(file);
    return ReadPaletteBytes(bytes, read, palette);
}

std::string UserPaletteDirectory()
{
    const char* dataHome = getenv("XDG_DATA_HOME");
    if (dataHome && dataHome[0] == '/')
        return std::string(dataHome) + "/tarnivel";
    const char* home = getenv("HOME");
    if (home && home[0])
        return std::string(home) + "/.local/share/tarnivel";
    return std::string();
}

std::string SystemPaletteDirectory()
{
    // Beside the running program (<prefix>/bin), wherever it was installed.
    char program[kMaxPath];
    ssize_t length = readlink("/proc/self/exe", program, sizeof program - 1);
    if (length <= 0)
        return TARNIVEL_DATA_DIR;
    program[length] = '\0';
    std::string bin = DirectoryOf(program);
    std::string prefix = DirectoryOf(bin.substr(0, bin.size() - 1));
    return prefix + "share/tarnivel";
}

std::vector<std::string> PaletteDirectories()
{
    std::vector<std::string> folders;
    for (const std::string& folder : {UserPaletteDirectory(), SystemPaletteDirectory()})
        if (!folder.empty())
            folders.push_back(folder);
    return folders;
}

namespace {

// Where each start-up palette came from: empty, or the folder other than
// the working directory that held it.
std::string paletteFolder[2];

bool LoadPalette(const char* fileName, uint8_t palette[768], std::string& folder)
{
    folder.clear();
    if (ReadPaletteFile(fileName, palette) == PaletteResult::kOk)
        return true;
    for (const std::string& candidate : PaletteDirectories()) {
        std::string path = candidate + "/" + fileName;
        if (PathFits("LoadPalette", path.c_str()) && ReadPaletteFile(path.c_str(), palette) == PaletteResult::kOk) {
            folder = candidate;
            return true;
        }
    }
    return false;
}

// Game palettes already read, by the file they came from.
std::map<std::string, std::array<uint8_t, 768>> gamePalettes;
bool missingReported[2];

int Slot(QuakeGame game)
{
    return game == QuakeGame::kQuake ? 0 : 1;
}

const char* PaletteName(QuakeGame game)
{
    return game == QuakeGame::kQuake ? "palette.lmp" : "palette_MD2.lmp";
}

const uint8_t* GamePalette(QuakeGame game, const std::string& found)
{
    auto known = gamePalettes.find(found);
    if (known != gamePalettes.end())
        return known->second.data();
    std::vector<uint8_t> bytes;
    std::string error;
    std::array<uint8_t, 768> palette;
    if (ReadGameFile(found, bytes, error) != GameFileResult::kOk ||
        !DecodeGamePalette(game, bytes.data(), bytes.size(), palette.data()))
        return nullptr;
    return gamePalettes.emplace(found, palette).first->second.data();
}

}  // namespace

bool LoadMDLPalette()
{
    mdlPaletteLoaded = LoadPalette("palette.lmp", mdlPalette, paletteFolder[0]);
    return mdlPaletteLoaded;
}

bool LoadMD2Palette()
{
    md2PaletteLoaded = LoadPalette("palette_MD2.lmp", md2Palette, paletteFolder[1]);
    return md2PaletteLoaded;
}

std::vector<std::string> BaseGameFolders(QuakeGame game)
{
    return game == QuakeGame::kQuake ? std::vector<std::string>{"id1"} : std::vector<std::string>{"baseq2", "base"};
}

const char* GamePaletteFile(QuakeGame game)
{
    return game == QuakeGame::kQuake ? "gfx/palette.lmp" : "pics/colormap.pcx";
}

bool DecodeGamePalette(QuakeGame game, const uint8_t* bytes, size_t size, uint8_t palette[768])
{
    if (game == QuakeGame::kQuake)
        return ReadPaletteBytes(bytes, size, palette) == PaletteResult::kOk;
    return ReadPcxPalette(bytes, size, palette);
}

const uint8_t* ModelPalette(QuakeGame game, const std::string& modelPath)
{
    int slot = Slot(game);
    if (game == QuakeGame::kQuake ? mdlPaletteLoaded : md2PaletteLoaded) {
        if (!paletteFolder[slot].empty())
            ReportNotice("The skins of \"%s\" take the palette %s/%s", modelPath.c_str(), paletteFolder[slot].c_str(),
                         PaletteName(game));
        return game == QuakeGame::kQuake ? mdlPalette : md2Palette;
    }
    std::string found = FindInPlaces(GameSearchPlaces(modelPath, BaseGameFolders(game)), GamePaletteFile(game));
    const uint8_t* palette = found.empty() ? nullptr : GamePalette(game, found);
    if (palette)
        ReportNotice("The skins of \"%s\" take the palette of %s", modelPath.c_str(), found.c_str());
    return palette;
}

bool FirstMissingPalette(QuakeGame game)
{
    bool first = !missingReported[Slot(game)];
    missingReported[Slot(game)] = true;
    return first;
}

std::string PaletteFoldersText()
{
    std::string text;
    for (const std::string& folder : PaletteDirectories())
        text += folder + ", ";
    return text;
}
