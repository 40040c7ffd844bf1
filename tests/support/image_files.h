#pragma once

#include <cstdint>
#include <functional>
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
const uint8_t* PixelAt(const PngImage& image, int x, int y);
// Pixels of the image, or of the rectangle from (x0, y0) up to (x1, y1), that pass the test.
int CountPixels(const PngImage& image, const std::function<bool(const uint8_t*)>& test, int x0 = 0, int y0 = 0,
                int x1 = -1, int y1 = -1);

// True-colour skin fixtures from R G B pixels, top row first.
std::vector<uint8_t> EncodePng(int width, int height, const std::vector<uint8_t>& rgb);
std::vector<uint8_t> EncodeJpeg(int width, int height, const std::vector<uint8_t>& rgb);
// 24 or 32 bits, raw or run-length, stored bottom row first as most TGAs
// are; alpha, one a pixel, for 32 bits (else opaque).
std::vector<uint8_t> EncodeTga(int width, int height, const std::vector<uint8_t>& rgb, int bits,
                               bool runLength, const std::vector<uint8_t>& alpha = {});
