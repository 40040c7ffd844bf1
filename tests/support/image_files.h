#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A PNG as read back: 8-bit samples, channels per pixel, top row first.
struct PngImage {
    int width = 0;
    int height = 0;
    int bitDepth = 0;
    int colourType = 0;
    int channels = 0;
    std::vector<uint8_t> pixels;
    size_t rowBytes = 0;
};

bool ReadPngFile(const std::string& path, PngImage& image);

// True-colour skin fixtures from R G B pixels, top row first.
std::vector<uint8_t> EncodePng(int width, int height, const std::vector<uint8_t>& rgb);
std::vector<uint8_t> EncodeJpeg(int width, int height, const std::vector<uint8_t>& rgb);
// 24 or 32 bits, raw or run-length, stored bottom row first as most TGAs are.
std::vector<uint8_t> EncodeTga(int width, int height, const std::vector<uint8_t>& rgb, int bits,
                               bool runLength);
