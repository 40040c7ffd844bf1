#pragma once

#include <png.h>

#include <cstdint>
#include <string>
#include <vector>

// Writes rows (height pointers, top row first) of a libpng colour type (RGB
// or RGBA) as an 8-bit PNG; progress prints a dot a row. 0 on success, 1 on
// failure.
int WritePngRows(png_bytep* rows, int width, int height, int colourType, const char* fileName, bool progress);
// libpng's row callback: a dot per row written.
void PngRowWritten(png_structp png, png_uint_32 row, int pass);

// A picture (R G B, or R G B A with four channels; top row first) as the
// bytes of an 8-bit PNG file; false when libpng fails.
bool EncodePng(const uint8_t* pixels, int width, int height, int channels, std::string& out);

// A PNG file's bytes with its pixels only: every chunk but IHDR, PLTE,
// tRNS, IDAT and IEND left out (colour spaces, pixel shapes, text...), as
// formats that take images as they are want them. False when the bytes are
// not a well-formed PNG.
bool PngPixelsOnly(const std::vector<uint8_t>& png, std::string& out);

// Writes an RGBA picture (top row first) so that no partial or empty file
// ever stands at path: into a fresh name in the same folder, then renamed.
// False with error set, and nothing left behind.
bool WritePngAtomically(const std::vector<uint8_t>& rgba, int width, int height, const std::string& path,
                        std::string& error);
