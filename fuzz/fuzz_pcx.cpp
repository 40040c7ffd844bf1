#include <cstdint>
#include <vector>

#include "formats/pcx.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    PcxImage image;
    if (!DecodePcx(data, size, image))
        return 0;
    std::vector<uint8_t> block;
    for (int side : {1, 8, 64, 296})
        CropPcxImage(image, side, side / 2 + 1, block);
    return 0;
}
