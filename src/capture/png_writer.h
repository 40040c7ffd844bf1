#pragma once

#include <png.h>

#include <cstdint>
#include <string>
#include <vector>

// Writes rows (height pointers to 3 * width bytes, top row first) as an
// 8-bit RGB PNG. 0 on success, 1 on failure.
int WritePng(png_bytep* rows, int width, int height, const char* fileName);
// The same for rows of a libpng colour type (RGB or RGBA); progress prints
// a dot a row.
int WritePngRows(png_bytep* rows, int width, int height, int colourType, const char* fileName, bool progress);
// libpng's row callback: a dot per row written.
void PngRowWritten(png_structp png, png_uint_32 row, int pass);

// Writes an RGBA picture (top row first) so that no partial or empty file
// ever stands at path: into a fresh name in the same folder, then renamed.
// False with error set, and nothing left behind.
bool WritePngAtomically(const std::vector<uint8_t>& rgba, int width, int height, const std::string& path,
                        std::string& error);
// The temporary file being written now, or empty: a process ended by a
// signal removes it.
const char* PendingPngFile();
