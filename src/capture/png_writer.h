#pragma once

#include <png.h>

// Writes rows (height pointers to 3 * width bytes, top row first) as an
// 8-bit RGB PNG. 0 on success, 1 on failure.
int WritePng(png_bytep* rows, int width, int height, const char* fileName);
// libpng's row callback: a dot per row written.
void PngRowWritten(png_structp png, png_uint_32 row, int pass);
