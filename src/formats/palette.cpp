#include "formats/palette.h"

#include <cstring>

#include "formats/pcx.h"

PaletteResult ReadPaletteBytes(const uint8_t* bytes, size_t size, uint8_t palette[768])
{
    if (size < 768)
        return PaletteResult::kShort;
    memcpy(palette, bytes, 768);
    return PaletteResult::kOk;
}

bool ReadPcxPalette(const uint8_t* bytes, size_t size, uint8_t palette[768])
{
    PcxImage image;
    if (!DecodePcx(bytes, size, image) || image.palette.size() != 768)
        return false;
    memcpy(palette, image.palette.data(), 768);
    return true;
}
