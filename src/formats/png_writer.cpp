#include "formats/png_writer.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

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

char pendingFile[4096];

}  // namespace

const char* PendingPngFile()
{
    return pendingFile;
}

bool WritePngAtomically(const std::vector<uint8_t>& rgba, int width, int height, const std::string& path,
                        std::string& error)
{
    size_t slash = path.rfind('/');
    std::string temporary = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + ".tarnivel-XXXXXX";
    if (temporary.size() >= sizeof pendingFile) {
        error = "the path is too long";
        return false;
    }
    snprintf(pendingFile, sizeof pendingFile, "%s", temporary.c_str());
    int descriptor = mkstemp(pendingFile);
    if (descriptor < 0) {
        error = std::string("cannot write into its folder: ") + strerror(errno);
        pendingFile[0] = '\0';
        return false;
    }
    mode_t mask = umask(0);
    umask(mask);
    fchmod(descriptor, 0666 & ~mask);  // as a plain new file would be
    close(descriptor);
    std::vector<png_bytep> rows(height);
    for (int r = 0; r < height; ++r)
        rows[r] = const_cast<uint8_t*>(rgba.data()) + static_cast<size_t>(r) * width * 4;
    bool written = WritePngRows(rows.data(), width, height, PNG_COLOR_TYPE_RGBA, pendingFile, false) == 0;
    if (!written || rename(pendingFile, path.c_str()) != 0) {
        error = written ? std::string("cannot be renamed into place: ") + strerror(errno) : "cannot be written";
        unlink(pendingFile);
        pendingFile[0] = '\0';
        return false;
    }
    pendingFile[0] = '\0';
    return true;
}
