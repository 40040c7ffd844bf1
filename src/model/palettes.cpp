#include "model/palettes.h"

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

namespace {

bool LoadPalette(const char* fileName, uint8_t palette[768], const char* openMessage,
                 const char* shortMessage, bool report)
{
    PaletteResult result = ReadPaletteFile(fileName, palette);
    if (result == PaletteResult::kCannotOpen) {
        std::string userDirectory = UserPaletteDirectory();
        std::string path = userDirectory + "/" + fileName;
        if (!userDirectory.empty() && PathFits("LoadPalette", path.c_str()))
            result = ReadPaletteFile(path.c_str(), palette);
    }
    if (result == PaletteResult::kOk)
        return true;
    if (report)
        ReportError("%s", result == PaletteResult::kCannotOpen ? openMessage : shortMessage);
    return false;
}

// Game palettes already read, by the file they came from.
std::map<std::string, std::array<uint8_t, 768>> gamePalettes;

}  // namespace

bool LoadMDLPalette(bool report)
{
    mdlPaletteLoaded = LoadPalette(
        "palette.lmp", mdlPalette,
        "LoadMDLPalette: Couldn't open the palette.lmp file.\tQuake skins take the palette of their game "
        "(gfx/palette.lmp) or load untextured.",
        "LoadMDLPalette: Couldn't read palette entries\tQuake skins take the palette of their game "
        "(gfx/palette.lmp) or load untextured.",
        report);
    return mdlPaletteLoaded;
}

bool LoadMD2Palette(bool report)
{
    md2PaletteLoaded = LoadPalette(
        "palette_MD2.lmp", md2Palette,
        "LoadMD2Palette: Couldn't open the palette_MD2.lmp file.\tQuake 2 skins take the palette of their "
        "game (pics/colormap.pcx) or their own, or load untextured.",
        "LoadMD2Palette: Couldn't read palette entries\tQuake 2 skins take the palette of their game "
        "(pics/colormap.pcx) or their own, or load untextured.",
        report);
    return md2PaletteLoaded;
}

std::vector<std::string> BaseGameFolders(ModelType type)
{
    return type == kModelMdl ? std::vector<std::string>{"id1"} : std::vector<std::string>{"baseq2", "base"};
}

const char* GamePaletteFile(ModelType type)
{
    return type == kModelMdl ? "gfx/palette.lmp" : "pics/colormap.pcx";
}

bool DecodeGamePalette(ModelType type, const uint8_t* bytes, size_t size, uint8_t palette[768])
{
    if (type == kModelMdl)
        return ReadPaletteBytes(bytes, size, palette) == PaletteResult::kOk;
    return ReadPcxPalette(bytes, size, palette);
}

const uint8_t* ModelPalette(ModelType type, const std::string& modelPath)
{
    if (type == kModelMdl ? mdlPaletteLoaded : md2PaletteLoaded)
        return type == kModelMdl ? mdlPalette : md2Palette;
    std::string found = FindInPlaces(GameSearchPlaces(modelPath, BaseGameFolders(type)), GamePaletteFile(type));
    if (found.empty())
        return nullptr;
    auto known = gamePalettes.find(found);
    if (known != gamePalettes.end())
        return known->second.data();
    std::vector<uint8_t> bytes;
    std::string error;
    std::array<uint8_t, 768> palette;
    if (ReadGameFile(found, bytes, error) != GameFileResult::kOk ||
        !DecodeGamePalette(type, bytes.data(), bytes.size(), palette.data()))
        return nullptr;
    return gamePalettes.emplace(found, palette).first->second.data();
}
