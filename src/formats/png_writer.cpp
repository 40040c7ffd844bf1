#include "formats/png_writer.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/atomic_file.h"

void PngRowWritten(png_structp png, png_uint_32 row, int pass)
{
    if (png && row <= 0x3FFFFFFFu && pass <= 7)
        printf(".");
}

// Nothing with a destructor may live in here: libpng errors longjmp back.
int WritePngRows(png_bytep* rows, int width, int height, int colourType, const char* fileName, bool progress)
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
    png_set_write_status_fn(png, progress ? PngRowWritten : nullptr);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, colourType,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return fclose(file) == 0 ? 0 : 1;
}

namespace {

void AppendBytes(png_structp png, png_bytep data, png_size_t length)
{
    static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), length);
}

void NoFlush(png_structp) {}

}  // namespace

// Nothing with a destructor may live in here either.
bool EncodePng(const uint8_t* pixels, int width, int height, int channels, std::string& out)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, &out, AppendBytes, NoFlush);
    png_set_compression_level(png, 1);  // a 2048 x 2048 skin takes a tenth of the time, for a third more bytes
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 channels == 4 ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int r = 0; r < height; ++r)
        png_write_row(png, const_cast<png_bytep>(pixels + static_cast<size_t>(r) * width * channels));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

bool PngPixelsOnly(const std::vector<uint8_t>& png, std::string& out)
{
    static const uint8_t kSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
    if (png.size() < 8 || memcmp(png.data(), kSignature, 8) != 0)
        return false;
    out.assign(png.begin(), png.begin() + 8);
    for (size_t at = 8; at < png.size();) {
        if (png.size() - at < 12)
            return false;
        uint32_t length = uint32_t(png[at]) << 24 | uint32_t(png[at + 1]) << 16 | uint32_t(png[at + 2]) << 8 |
                          png[at + 3];
        if (length > png.size() - at - 12)
            return false;
        std::string type(reinterpret_cast<const char*>(&png[at + 4]), 4);
        if (type == "IHDR" || type == "PLTE" || type == "tRNS" || type == "IDAT" || type == "IEND")
            out.append(reinterpret_cast<const char*>(&png[at]), length + 12);
        at += length + 12;
        if (type == "IEND")
            return true;
    }
    return false;
}

bool WritePngAtomically(const std::vector<uint8_t>& rgba, int width, int height, const std::string& path,
                        std::string& error)
{
    std::string bytes;
    if (!EncodePng(rgba.data(), width, height, 4, bytes)) {
        error = "cannot be written";
        return false;
    }
    return WriteFileAtomically(path, bytes, error);
}
