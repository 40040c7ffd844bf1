#include "formats/truecolour.h"

#include <strings.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>  // needs FILE first
#include <png.h>
#include <zlib.h>

namespace {

bool SizeAcceptable(long width, long height)
{
    return width > 0 && height > 0 && width <= kMaxTrueColourSide && height <= kMaxTrueColourSide;
}

struct JpegError {
    jpeg_error_mgr manager;
    jmp_buf jump;
};

void JpegFail(j_common_ptr info)
{
    longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1);
}

void JpegQuiet(j_common_ptr, int) {}

// Kept out of DecodeJpeg so that nothing with a destructor lives across setjmp.
bool ReadJpeg(jpeg_decompress_struct& info, const uint8_t* bytes, size_t size, RgbImage& image)
{
    jpeg_mem_src(&info, bytes, static_cast<unsigned long>(size));
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK ||
        !SizeAcceptable(info.image_width, info.image_height))
        return false;
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    if (info.output_components != 3)
        return false;
    image.width = static_cast<int>(info.output_width);
    image.height = static_cast<int>(info.output_height);
    image.rgb.resize(static_cast<size_t>(image.width) * image.height * 3);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = image.rgb.data() + static_cast<size_t>(info.output_scanline) * image.width * 3;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    return true;
}

uint16_t Le16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

// Copies one TGA pixel (B G R [A], or grey [A]) to R G B and, when asked, its alpha.
void PutTgaPixel(const uint8_t* source, int bytesPerPixel, uint8_t* out, uint8_t* alpha)
{
    bool grey = bytesPerPixel <= 2;
    out[0] = source[grey ? 0 : 2];
    out[1] = source[grey ? 0 : 1];
    out[2] = source[0];
    if (alpha)
        *alpha = source[grey ? 1 : 3];
}

bool ReadTgaPixels(const uint8_t* data, size_t size, bool runLength, int bytesPerPixel,
                   std::vector<uint8_t>& rgb, std::vector<uint8_t>& alpha)
{
    size_t pixels = rgb.size() / 3, done = 0, at = 0;
    while (done < pixels) {
        size_t count = 1;
        bool run = false;
        if (runLength) {
            if (at >= size)
                return false;
            uint8_t packet = data[at++];
            count = (packet & 0x7F) + 1u;
            run = (packet & 0x80) != 0;
        }
        if (count > pixels - done)
            count = pixels - done;
        size_t needed = run ? bytesPerPixel : count * bytesPerPixel;
        if (needed > size - at)
            return false;
        for (size_t i = 0; i < count; ++i)
            PutTgaPixel(data + at + (run ? 0 : i * bytesPerPixel), bytesPerPixel, &rgb[3 * (done + i)],
                        alpha.empty() ? nullptr : &alpha[done + i]);
        at += needed;
        done += count;
    }
    return true;
}

}  // namespace

bool IsTrueColourExtension(const char* extension)
{
    if (!extension)
        return false;
    for (const char* known : {"png", "tga", "jpg", "jpeg"})
        if (strcasecmp(extension, known) == 0)
            return true;
    return false;
}

bool DecodePng(const uint8_t* bytes, size_t size, RgbImage& image, bool alpha)
{
    png_image png = {};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&png, bytes, size))
        return false;
    if (!SizeAcceptable(png.width, png.height)) {
        png_image_free(&png);
        return false;
    }
    bool withAlpha = alpha && (png.format & PNG_FORMAT_FLAG_ALPHA) != 0;
    png.format = withAlpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    image.width = static_cast<int>(png.width);
    image.height = static_cast<int>(png.height);
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, pixels.data(), 0, nullptr)) {
        png_image_free(&png);
        return false;
    }
    if (!withAlpha) {
        image.rgb = std::move(pixels);
        return true;
    }
    size_t count = static_cast<size_t>(image.width) * image.height;
    image.rgb.resize(3 * count);
    image.alpha.resize(count);
    for (size_t i = 0; i < count; ++i) {
        std::copy(&pixels[4 * i], &pixels[4 * i] + 3, &image.rgb[3 * i]);
        image.alpha[i] = pixels[4 * i + 3];
    }
    return true;
}

namespace {

uint32_t BigEndian(const uint8_t* bytes)
{
    return uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 | bytes[3];
}

// Every chunk whole with its checksum right, up to IEND: what a PNG kept
// undecoded must be, for a reader to decode it later as this one would have.
bool ChunksIntact(const uint8_t* bytes, size_t size)
{
    for (size_t at = 8; size - at >= 12;) {
        uint32_t length = BigEndian(bytes + at);
        if (length > size - at - 12)
            return false;
        uLong crc = crc32(0L, bytes + at + 4, length + 4);
        if (crc != BigEndian(bytes + at + 8 + length))
            return false;
        if (memcmp(bytes + at + 4, "IEND", 4) == 0)
            return true;
        at += length + 12;
    }
    return false;
}

bool ReadPngSize(const uint8_t* bytes, size_t size, RgbImage& image)
{
    if (size < 8 || !ChunksIntact(bytes, size))
        return false;
    png_image png = {};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&png, bytes, size))
        return false;
    bool acceptable = SizeAcceptable(png.width, png.height);
    image.width = static_cast<int>(png.width);
    image.height = static_cast<int>(png.height);
    png_image_free(&png);
    return acceptable;
}

}  // namespace

bool DecodeJpeg(const uint8_t* bytes, size_t size, RgbImage& image)
{
    jpeg_decompress_struct info;
    JpegError error;
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = JpegFail;
    error.manager.emit_message = JpegQuiet;
    jpeg_create_decompress(&info);
    bool ok = false;
    if (setjmp(error.jump) == 0)
        ok = ReadJpeg(info, bytes, size, image);
    jpeg_destroy_decompress(&info);
    return ok;
}

bool DecodeTga(const uint8_t* bytes, size_t size, RgbImage& image, bool alpha)
{
    if (size < 18)
        return false;
    int idLength = bytes[0], colourMapType = bytes[1], imageType = bytes[2];
    int mapLength = Le16(bytes + 5), mapEntryBits = bytes[7];
    int width = Le16(bytes + 12), height = Le16(bytes + 14), depth = bytes[16];
    bool topFirst = (bytes[17] & 0x20) != 0;
    // True colour (2, 10 run-length) of 24 or 32 bits, or grey (3, 11) of 8 or 16 as the engines take them.
    bool grey = imageType == 3 || imageType == 11;
    bool colour = imageType == 2 || imageType == 10;
    if (!((colour && (depth == 24 || depth == 32)) || (grey && (depth == 8 || depth == 16))) ||
        !SizeAcceptable(width, height) || colourMapType > 1)
        return false;
    size_t offset = 18 + idLength + (colourMapType ? mapLength * ((mapEntryBits + 7) / 8) : 0);
    if (offset > size)
        return false;
    image.width = width;
    image.height = height;
    image.rgb.assign(static_cast<size_t>(width) * height * 3, 0);
    bool withAlpha = depth == 32 || depth == 16;
    image.alpha.assign(alpha && withAlpha ? static_cast<size_t>(width) * height : 0, 255);
    if (!ReadTgaPixels(bytes + offset, size - offset, imageType == 10 || imageType == 11, depth / 8, image.rgb,
                       image.alpha))
        return false;
    if (!topFirst) {
        for (std::vector<uint8_t>* plane : {&image.rgb, &image.alpha}) {
            size_t rowBytes = plane->size() / height;
            for (int r = 0; r < height / 2 && rowBytes; ++r)
                std::swap_ranges(plane->begin() + r * rowBytes, plane->begin() + (r + 1) * rowBytes,
                                 plane->begin() + (height - 1 - r) * rowBytes);
        }
    }
    return true;
}

bool DecodeTrueColour(const uint8_t* bytes, size_t size, const char* extension, RgbImage& image, bool alpha,
                      bool pixels)
{
    if (!extension)
        return false;
    if (strcasecmp(extension, "png") == 0) {
        if (!(pixels ? DecodePng(bytes, size, image, alpha) : ReadPngSize(bytes, size, image)))
            return false;
        image.png.assign(bytes, bytes + size);
        return true;
    }
    if (strcasecmp(extension, "tga") == 0)
        return DecodeTga(bytes, size, image, alpha);
    if (strcasecmp(extension, "jpg") == 0 || strcasecmp(extension, "jpeg") == 0)
        return DecodeJpeg(bytes, size, image);
    return false;
}
