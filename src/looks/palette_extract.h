#pragma once

#include <string>

// Writes palette.lmp (from gfx/palette.lmp) and palette_MD2.lmp (from
// pics/colormap.pcx) found in a game archive (.pak or .pk3) into directory.
// An existing palette that differs is kept unless replace is set. Messages
// go to log; false when the archive is unusable or a palette could not be
// written.
bool ExtractPalettes(const char* archivePath, const std::string& directory, bool replace, std::string& log);
