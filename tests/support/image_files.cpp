#include "support/image_files.h"

#include <cstdio>
#include <cstring>

#include <jpeglib.h>
#include <png.h>

#include "formats/png_writer.h"

bool ReadPngFile(const std::string& path, PngImage& image)
{
    FILE* file = fopen(path.c_str(), "rb");
    if (!file)
        return false;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_read_info(png, info);
    image.width = static_cast<int>(png_get_image_width(png, info));
    image.height = static_cast<int>(png_get_image_height(png, info));
    image.bitDepth = png_get_bit_depth(png, info);
    image.colourType = png_get_color_type(png, info);
    image.channels = png_get_channels(png, info);
    image.rowBytes = png_get_rowbytes(png, info);
    image.pixels.resize(image.rowBytes * image.height);
    std::vector<png_bytep> rows(image.height);
    for (int r = 0; r < image.height; ++r)
        rows[r] = image.pixels.data() + r * image.rowBytes;
    png_read_image(png, rows.data());
    png_destroy_read_struct(&png, &info, nullptr);
    fclose(file);
    return true;
}

const uint8_t* PixelAt(const PngImage& image, int x, int y)
{
    return &image.pixels[y * image.rowBytes + image.channels * x];
}

int CountPixels(const PngImage& image, const std::function<bool(const uint8_t*)>& test, int x0, int y0, int x1,
                int y1)
{
    int count = 0;
    for (int y = y0; y < (y1 < 0 ? image.height : y1); ++y)
        for (int x = x0; x < (x1 < 0 ? image.width : x1); ++x)
            count += test(PixelAt(image, x, y));
    return count;
}

std::vector<uint8_t> EncodePng(int width, int height, const std::vector<uint8_t>& rgb)
{
    std::string png;
    EncodePng(rgb.data(), width, height, 3, png);
    return std::vector<uint8_t>(png.begin(), png.end());
}

std::vector<uint8_t> EncodeJpeg(int width, int height, const std::vector<uint8_t>& rgb)
{
    jpeg_compress_struct info;
    jpeg_error_mgr error;
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = width;
    info.image_height = height;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 95, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<uint8_t*>(rgb.data()) + info.next_scanline * width * 3;
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    std::vector<uint8_t> out(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    free(buffer);
    return out;
}

std::vector<uint8_t> EncodeTga(int width, int height, const std::vector<uint8_t>& rgb, int bits,
                               bool runLength, const std::vector<uint8_t>& alpha)
{
    std::vector<uint8_t> out = {0, 0, uint8_t(runLength ? 10 : 2), 0, 0, 0, 0, 0, 0, 0, 0, 0, uint8_t(width),
                                uint8_t(width >> 8), uint8_t(height), uint8_t(height >> 8), uint8_t(bits), 0};
    for (int y = height - 1; y >= 0; --y) {
        const uint8_t* row = &rgb[static_cast<size_t>(y) * width * 3];
        for (int x = 0, count = 1; x < width; x += count, count = 1) {
            // Each row opens with a raw packet, then runs of equal pixels: both kinds are read.
            while (runLength && alpha.empty() && x > 0 && x + count < width && count < 128 &&
                   memcmp(row + 3 * x, row + 3 * (x + count), 3) == 0)
                ++count;
            if (runLength)
                out.push_back(static_cast<uint8_t>(x == 0 ? 0 : 0x80 | (count - 1)));
            out.insert(out.end(), {row[3 * x + 2], row[3 * x + 1], row[3 * x]});
            if (bits == 32)
                out.push_back(alpha.empty() ? 255 : alpha[static_cast<size_t>(y) * width + x]);
        }
    }
    return out;
}
