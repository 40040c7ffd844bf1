#include <cstdint>

#include "formats/truecolour.h"

// The first byte picks the decoder; the rest is the image file.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const char* kinds[] = {"png", "tga", "jpg"};
    RgbImage image;
    DecodeTrueColour(data + 1, size - 1, kinds[data[0] % 3], image);
    return 0;
}
