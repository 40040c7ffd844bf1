#include <algorithm>

#include "formats/byte_writer.h"
#include "formats/pcx.h"

namespace {

// A row's runs: a byte of 0xC0 and up, or any repeated, is written as a count and the byte.
void AppendRow(std::vector<uint8_t>& out, const uint8_t* row, int width)
{
    for (int x = 0; x < width;) {
        int run = 1;
        while (x + run < width && run < 63 && row[x + run] == row[x])
            ++run;
        if (run > 1 || row[x] >= 0xC0)
            out.push_back(static_cast<uint8_t>(0xC0 | run));
        out.push_back(row[x]);
        x += run;
    }
}

}  // namespace

std::vector<uint8_t> WritePcx(const PcxImage& image)
{
    std::vector<uint8_t> out = {0x0A, 5, 1, 8};  // maker, version, run-length, bits a pixel
    for (int value : {0, 0, image.width - 1, image.height - 1, 72, 72})
        AppendInt16(out, static_cast<int16_t>(value));
    out.resize(out.size() + 48 + 1, 0);  // the 16-colour palette, reserved
    out.push_back(1);                    // planes
    AppendInt16(out, static_cast<int16_t>(image.width + (image.width & 1)));  // bytes a line, even
    AppendInt16(out, 1);                                                       // a palette of colours
    out.resize(128, 0);
    std::vector<uint8_t> row(static_cast<size_t>(image.width + (image.width & 1)), 0);
    for (int y = 0; y < image.height; ++y) {
        std::copy_n(&image.indices[size_t(y) * image.width], image.width, row.begin());
        AppendRow(out, row.data(), static_cast<int>(row.size()));
    }
    out.push_back(0x0C);
    std::vector<uint8_t> palette = image.palette;
    palette.resize(768, 0);
    out.insert(out.end(), palette.begin(), palette.end());
    return out;
}
