#pragma once

#include <string>

#include "export/export_model.h"
#include "offscreen/picture.h"

// tarnivel --render OUT.png [--size WxH] [--frame N|NAME] [--skin N]
//   [--background NAME] [--interpolation none|linear|cubic]
//   [--frames A-B] [--fps N] MODEL
// Reads the options after "--render"; false with the fault in error.
bool ParseRenderOptions(int argc, char** argv, PictureRequest& request, std::string& error);

// tarnivel --export OUT MODEL [--frames A-B] [--frame N|NAME] [--skin N]
//   [--fps N] [--interpolation none|linear] [--scale S]
struct ExportCommand : ExportRequest {
    std::string model;
    std::string weapon;  // a Quake III player's weapon
    int body = 0;        // a model of body parts: the sub-models written
};
bool ParseExportOptions(int argc, char** argv, ExportCommand& request, std::string& error);
// One option of an export and its value; false with the fault in error
// when it is not one, or its value is wrong.
bool ParseExportOption(const char* option, const char* value, ExportCommand& request, std::string& error);
// An option of no value (--per-frame-bounds).
bool StandsAlone(const char* option);
// A whole number from low to high; false for anything else.
bool ParseNumber(const char* text, int low, int high, int* value);

// tarnivel-thumbnailer -s SIZE INPUT OUTPUT, as freedesktop file managers
// call thumbnailers: INPUT is a path or a file:// URI.
bool ParseThumbnailOptions(int argc, char** argv, PictureRequest& request, std::string& error);

// A file:// URI as a path, its %XX escapes decoded; any other text as it is.
std::string PathFromUri(const std::string& text);
