#include "formats/pcx.h"

#include <cstring>

#include "formats/byte_reader.h"

namespace {

constexpr int kHeaderSize = 128;

struct PcxHeader {
    uint8_t manufacturer, version, encoding, bitsPerPixel;
    uint16_t xMin, yMin, xMax, yMax;
    uint16_t hResolution, vResolution;
    uint8_t palette16[48];
    uint8_t reserved, planes;
    uint16_t bytesPerLine;
    uint16_t paletteInfo;
    uint8_t filler[58];
};
static_assert(sizeof(PcxHeader) == kHeaderSize, "the header is read in one piece");

// Run-length decoding; bytes beyond the buffer's end are read and dropped.
void DecodeRuns(const uint8_t* data, size_t size, std::vector<uint8_t>& out)
{
    size_t filled = 0, capacity = out.size();
    for (size_t i = 0; i < size;) {
        uint8_t c = data[i++];
        if ((c & 0xC0) != 0xC0) {
            if (filled == capacity)
                return;
            out[filled++] = c;
            continue;
        }
        if (i == size)
            return;
        uint8_t value = data[i++];
        for (int n = c & 63; n > 0 && filled < capacity; --n)
            out[filled++] = value;
    }
}

void BuildIndices(const PcxHeader& h, const std::vector<uint8_t>& decoded, PcxImage& image)
{
    int bits = h.bitsPerPixel, planes = h.planes, bpl = h.bytesPerLine;
    int perByte = 8 / bits;
    uint8_t mask = static_cast<uint8_t>((1u << bits) - 1u);
    image.indices.assign(static_cast<size_t>(image.width) * image.height, 0);
    for (int r = 0; r < image.height; ++r) {
        uint8_t* row = image.indices.data() + static_cast<size_t>(r) * image.width;
        for (int p = 0; p < planes; ++p) {
            const uint8_t* line = decoded.data() + (static_cast<size_t>(r) * planes + p) * bpl;
            for (int x = 0; x < image.width; ++x) {
                int shift = 8 - bits * (x % perByte + 1);
                uint8_t field = (line[x / perByte] >> shift) & mask;
                row[x] = static_cast<uint8_t>((row[x] << bits) | field);
            }
        }
    }
}

}  // namespace

bool DecodePcx(const uint8_t* bytes, size_t size, PcxImage& image)
{
    PcxHeader h;
    ByteReader reader{bytes, size, 0};
    if (!ReadBytes(reader, &h, sizeof h))
        return false;
    for (uint16_t* field : {&h.xMin, &h.yMin, &h.xMax, &h.yMax, &h.hResolution, &h.vResolution,
                            &h.bytesPerLine, &h.paletteInfo})
        EndianSwap16(field);
    if (h.manufacturer != 10 || h.bitsPerPixel * h.planes != 8)
        return false;
    image.width = static_cast<uint16_t>(h.xMax - h.xMin) + 1;
    image.height = static_cast<uint16_t>(h.yMax - h.yMin) + 1;

    // A scan line must hold a row, and a run byte pair gives at most 63
    // bytes: a header that asks for more than the file could fill is refused.
    uint64_t lineBits = static_cast<uint64_t>(h.bytesPerLine) * 8;
    uint64_t decodedSize = static_cast<uint64_t>(h.planes) * image.height * h.bytesPerLine;
    if (static_cast<uint64_t>(image.width) * h.bitsPerPixel > lineBits ||
        decodedSize > (size - kHeaderSize) * 63 / 2 + 1)
        return false;

    std::vector<uint8_t> decoded(decodedSize);
    DecodeRuns(bytes + kHeaderSize, size - kHeaderSize, decoded);

    if (h.version >= 5 && size >= kHeaderSize + 769 && bytes[size - 769] == 12)
        image.palette.assign(bytes + size - 768, bytes + size);
    else
        image.palette.assign(h.palette16, h.palette16 + sizeof h.palette16);
    BuildIndices(h, decoded, image);
    return true;
}

void CropImageWidth(uint8_t* image, int imageWidth, int newWidth, int rows)
{
    for (int r = 1; r < rows; ++r)
        memmove(image + static_cast<size_t>(r) * newWidth,
                image + static_cast<size_t>(r) * imageWidth, newWidth);
}

bool CropPcxImage(const PcxImage& image, int width, int height, std::vector<uint8_t>& block)
{
    if (width < 0 || height < 0 || image.width < width || image.height < height)
        return false;
    block.assign(image.indices.begin(),
                 image.indices.begin() + static_cast<size_t>(image.width) * height);
    if (image.width != width)
        CropImageWidth(block.data(), image.width, width, height);
    block.resize(static_cast<size_t>(width) * height);
    return true;
}
