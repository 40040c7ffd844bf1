#include "batch/render_options.h"

#include <strings.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "commands/command_table.h"
#include "lighting/materials.h"

namespace {

constexpr int kMaxBody = 1 << 20;

constexpr int kLargestPicture = 8192;

bool ParseSize(const char* text, PictureRequest& request)
{
    int width = 0, height = 0;
    char separator = 0, extra = 0;
    if (sscanf(text, "%d%c%d%c", &width, &separator, &height, &extra) != 3 || (separator != 'x' && separator != 'X'))
        return false;
    if (width < 1 || height < 1 || width > kLargestPicture || height > kLargestPicture)
        return false;
    request.width = width;
    request.height = height;
    return true;
}

// The names of the BG Color menu, and "transparent".
bool ParseBackground(const char* name, int* index)
{
    if (strcasecmp(name, "transparent") == 0) {
        *index = -1;
        return true;
    }
    for (int row = 0; row < kNumCommands; ++row) {
        if (commandTable[row].handler == SetBackgroundColour && strcasecmp(commandTable[row].name, name) == 0) {
            *index = static_cast<int>(commandTable[row].argument);
            return true;
        }
    }
    return false;
}

bool ParseInterpolation(const char* name, uint8_t* method)
{
    const char* const names[] = {"none", "linear", "cubic"};
    for (uint8_t i = 0; i < 3; ++i)
        if (strcasecmp(name, names[i]) == 0)
            return *method = i, true;
    return false;
}

bool ParseFrameRange(const char* text, int* firstFrame, int* lastFrame)
{
    int first = -1, last = -1;
    char dash = 0, extra = 0;
    if (sscanf(text, "%d%c%d%c", &first, &dash, &last, &extra) != 3 || dash != '-' || first < 0 || last < first)
        return false;
    *firstFrame = first;
    *lastFrame = last;
    return true;
}

bool ParsePositive(const char* text, double high, double* value)
{
    char* end = nullptr;
    double number = strtod(text, &end);
    if (end == text || *end != '\0' || !(number > 0) || number > high)
        return false;
    *value = number;
    return true;
}

// A skin by number, or a skin set by name (a player's "red").
bool ParseSkin(const char* value, int* skin, std::string& name)
{
    if (isdigit(static_cast<unsigned char>(value[0])))
        return ParseNumber(value, 0, 31, skin);
    name = value;
    return !name.empty();
}

// The options of --export, each with its value; false with the fault in error.
// One option and its value; false with the fault in error.
bool ParseOption(const char* option, const char* value, PictureRequest& request, std::string& error)
{
    bool ok = false;
    if (strcmp(option, "--size") == 0)
        ok = ParseSize(value, request);
    else if (strcmp(option, "--frame") == 0)
        ok = value[0] != '\0', request.frame = value;
    else if (strcmp(option, "--skin") == 0)
        ok = ParseSkin(value, &request.skin, request.skinName);
    else if (strcmp(option, "--weapon") == 0)
        ok = value[0] != '\0', request.weapon = value;
    else if (strcmp(option, "--body") == 0)
        ok = ParseNumber(value, 0, kMaxBody, &request.body);
    else if (strcmp(option, "--background") == 0)
        ok = ParseBackground(value, &request.background);
    else if (strcmp(option, "--interpolation") == 0)
        ok = ParseInterpolation(value, &request.interpolation);
    else if (strcmp(option, "--frames") == 0)
        ok = ParseFrameRange(value, &request.firstFrame, &request.lastFrame);
    else if (strcmp(option, "--fps") == 0)
        ok = ParseNumber(value, 1, 1000, &request.fps);
    else {
        error = std::string("unknown option ") + option;
        return false;
    }
    if (!ok)
        error = std::string("bad value for ") + option + ": \"" + value + "\"";
    return ok;
}

int HexValue(char c)
{
    return isdigit(static_cast<unsigned char>(c)) ? c - '0' : (tolower(static_cast<unsigned char>(c)) - 'a' + 10);
}

}  // namespace

namespace {

// OUT, then options with their values and one model, in any order.
template <typename Request>
bool ParseCommand(const char* mode, int argc, char** argv, Request& request, std::string& error,
                  bool (*option)(const char*, const char*, Request&, std::string&))
{
    if (argc < 2) {
        error = std::string(mode) + " needs an output file and a model";
        return false;
    }
    request.output = argv[0];
    for (int i = 1; i < argc; ++i) {
        if (strncmp(argv[i], "--", 2) != 0) {
            if (!request.model.empty()) {
                error = "one model only: \"" + request.model + "\" and \"" + argv[i] + "\"";
                return false;
            }
            request.model = argv[i];
            continue;
        }
        if (StandsAlone(argv[i])) {
            if (!option(argv[i], "", request, error))
                return false;
            continue;
        }
        if (i + 1 >= argc) {
            error = std::string(argv[i]) + " needs a value";
            return false;
        }
        if (!option(argv[i], argv[i + 1], request, error))
            return false;
        ++i;
    }
    if (request.model.empty())
        error = "no model named";
    else if (request.firstFrame >= 0 && !request.frame.empty())
        error = "--frame and --frames do not go together";
    return error.empty();
}

}  // namespace

bool StandsAlone(const char* option)
{
    return strcmp(option, "--per-frame-bounds") == 0;
}

bool ParseNumber(const char* text, int low, int high, int* value)
{
    char* end = nullptr;
    long number = strtol(text, &end, 10);
    if (end == text || *end != '\0' || number < low || number > high)
        return false;
    *value = static_cast<int>(number);
    return true;
}

bool ParseExportOption(const char* option, const char* value, ExportCommand& request, std::string& error)
{
    bool ok = false;
    double number = 0;
    if (strcmp(option, "--frames") == 0)
        ok = ParseFrameRange(value, &request.firstFrame, &request.lastFrame);
    else if (strcmp(option, "--frame") == 0)
        ok = value[0] != '\0', request.frame = value;
    else if (strcmp(option, "--skin") == 0)
        ok = ParseSkin(value, &request.skin, request.skinName);
    else if (strcmp(option, "--weapon") == 0)
        ok = value[0] != '\0', request.weapon = value;
    else if (strcmp(option, "--body") == 0)
        ok = ParseNumber(value, 0, kMaxBody, &request.body);
    else if (strcmp(option, "--fps") == 0)
        ok = ParsePositive(value, 1000, &request.fps), request.fpsGiven = true;
    else if (strcmp(option, "--interpolation") == 0) {
        request.step = strcasecmp(value, "none") == 0;
        ok = request.step || strcasecmp(value, "linear") == 0;
    } else if (strcmp(option, "--per-frame-bounds") == 0) {
        ok = request.perFrameBounds = true;
    } else if (strcmp(option, "--palette") == 0) {
        ok = value[0] != '\0', request.palette = value;
    } else if (strcmp(option, "--flags") == 0) {
        ok = ParseMdlFlags(value, request.mdlFlags);
    } else if (strcmp(option, "--scale") == 0) {
        ok = ParsePositive(value, 1e6, &number);
        request.scale = static_cast<float>(number), request.scaleGiven = true;
    } else {
        error = std::string("unknown option ") + option;
        return false;
    }
    if (!ok)
        error = std::string("bad value for ") + option + ": \"" + value + "\"";
    return ok;
}

bool ParseRenderOptions(int argc, char** argv, PictureRequest& request, std::string& error)
{
    return ParseCommand("--render", argc, argv, request, error, ParseOption);
}

bool ParseExportOptions(int argc, char** argv, ExportCommand& request, std::string& error)
{
    if (!ParseCommand("--export", argc, argv, request, error, ParseExportOption))
        return false;
    if (!IsExportName(request.output))
        error = "the output must end in .glb, .gltf, .obj, .md3, .iqm, .md2 or .mdl: \"" + request.output + "\"";
    return error.empty();
}

bool ParseThumbnailOptions(int argc, char** argv, PictureRequest& request, std::string& error)
{
    int size = 0;
    if (argc != 5 || strcmp(argv[1], "-s") != 0 || !ParseNumber(argv[2], 1, kLargestPicture, &size)) {
        error = "usage: tarnivel-thumbnailer -s SIZE INPUT OUTPUT";
        return false;
    }
    request.width = request.height = size;
    request.model = PathFromUri(argv[3]);
    request.output = argv[4];
    return true;
}

std::string PathFromUri(const std::string& text)
{
    if (text.compare(0, 7, "file://") != 0)
        return text;
    std::string path;
    size_t start = text.find('/', 7);  // past an optional host name
    for (size_t i = start == std::string::npos ? text.size() : start; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && isxdigit(static_cast<unsigned char>(text[i + 1])) &&
            isxdigit(static_cast<unsigned char>(text[i + 2]))) {
            path += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            path += text[i];
        }
    }
    return path;
}
