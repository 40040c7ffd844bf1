#include "capture/png_writer.h"

#include <cstdio>

#include "core/viewer_state.h"

void PngRowWritten(png_structp png, png_uint_32 row, int pass)
{
    if (png && row <= 0x3FFFFFFFu && pass <= 7)
        printf(".");
}

// Nothing with a destructor may live in here: libpng errors longjmp back.
int WritePng(png_bytep* rows, int width, int height, const char* fileName)
{
    FILE* file = fopen(fileName, "wb");
    if (!file)
        return 1;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) {
        fclose(file);
        return 1;
    }
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        fclose(file);
        return 1;
    }
    if (setjmp(png_jmpbuf(png))) {
        fprintf(stderr, "%s: libpng write error\n", fileName);
        png_destroy_write_struct(&png, &info);
        fclose(file);
        return 1;
    }
    png_init_io(png, file);
    png_set_write_status_fn(png, viewer.showOverlay ? PngRowWritten : nullptr);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return fclose(file) == 0 ? 0 : 1;
}
