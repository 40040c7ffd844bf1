#include "models/palette.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/error_log.h"
#include "platform/paths.h"

uint8_t mdlPalette[768];
uint8_t md2Palette[768];

PaletteResult ReadPaletteBytes(const uint8_t* bytes, size_t size, uint8_t palette[768])
{
    if (size < 768)
        return PaletteResult::kShort;
    memcpy(palette, bytes, 768);
    return PaletteResult::kOk;
}

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

void LoadPalette(const char* fileName, uint8_t palette[768], const char* openMessage,
                 const char* shortMessage)
{
    PaletteResult result = ReadPaletteFile(fileName, palette);
    if (result == PaletteResult::kCannotOpen) {
        std::string userDirectory = UserPaletteDirectory();
        std::string path = userDirectory + "/" + fileName;
        if (!userDirectory.empty() && PathFits("LoadPalette", path.c_str()))
            result = ReadPaletteFile(path.c_str(), palette);
    }
    if (result == PaletteResult::kOk)
        return;
    ReportError("%s", result == PaletteResult::kCannotOpen ? openMessage : shortMessage);
    exit(0);
}

}  // namespace

void LoadMDLPalette()
{
    LoadPalette("palette.lmp", mdlPalette,
                "LoadMDLPalette: Couldn't open the palette.lmp file.\tA valid palette.lmp file "
                "must be in the same directory as Tarnivel for it to work.",
                "LoadMDLPalette: Couldn't read palette entries\tA valid palette.lmp file must be "
                "in the same directory as Tarnivel for it to work.");
}

void LoadMD2Palette()
{
    LoadPalette("palette_MD2.lmp", md2Palette,
                "LoadMD2Palette: Couldn't open the palette_MD2.lmp file.\tA valid palette_MD2.lmp "
                "file must be in the same directory as Tarnivel for it to work.",
                "LoadMD2Palette: Couldn't read palette entries\tA valid palette_MD2.lmp file must "
                "be in the same directory as Tarnivel for it to work.");
}
