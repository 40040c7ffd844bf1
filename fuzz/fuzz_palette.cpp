#include <cstdint>

#include "formats/palette.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    uint8_t palette[768];
    ReadPaletteBytes(data, size, palette);
    return 0;
}
