#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// A true-colour skin image: R G B pixels, top row first.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;
    std::vector<uint8_t> alpha;  // one a pixel when asked for and the file has an alpha channel, else empty
    std::vector<uint8_t> png;  // a PNG file's own bytes, for writers to keep rather than encode again
};

// Neither side of a true-colour skin may exceed this; no texture could hold it.
constexpr int kMaxTrueColourSide = 8192;

// png, tga, jpg and jpeg, in any case.
bool IsTrueColourExtension(const char* extension);

// With alpha, a file's alpha channel is kept beside its colours (as they
// are, not laid over black as a picture without alpha shows them).
bool DecodePng(const uint8_t* bytes, size_t size, RgbImage& image, bool alpha = false);
bool DecodeJpeg(const uint8_t* bytes, size_t size, RgbImage& image);
// Uncompressed and run-length, 24 and 32 bits.
bool DecodeTga(const uint8_t* bytes, size_t size, RgbImage& image, bool alpha = false);
// By extension. Without pixels, a PNG gives only its size and its bytes
// (its header checked): for a writer that keeps the file as it is.
bool DecodeTrueColour(const uint8_t* bytes, size_t size, const char* extension, RgbImage& image,
                      bool alpha = false, bool pixels = true);
