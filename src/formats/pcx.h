#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// An 8-bit indexed image decoded from a .pcx file, with its own palette
// (256 entries, or the header's 16).
struct PcxImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> indices;  // width * height, row after row
    std::vector<uint8_t> palette;  // entries * 3 bytes, R G B
};

// Decodes the bytes of a .pcx file; false when it is not an 8-bit image or
// its header promises more than the file could hold.
bool DecodePcx(const uint8_t* bytes, size_t size, PcxImage& image);

// Cuts each of the first rows rows to its first newWidth pixels, in place.
void CropImageWidth(uint8_t* image, int imageWidth, int newWidth, int rows);

// The top-left width x height block of the image; false when the image is smaller.
bool CropPcxImage(const PcxImage& image, int width, int height, std::vector<uint8_t>& block);

// The image as a version 5 PCX file, run-length encoded, its palette of
// 256 entries after the pixels as Quake 2's tools wrote them.
std::vector<uint8_t> WritePcx(const PcxImage& image);
