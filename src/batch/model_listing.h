#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// tarnivel --list PATH: one line per model of a model file, an archive or
// a folder (searched below, archives included): its path, format, frames,
// vertices, triangles and skins. A model that cannot be read is reported on
// standard error and left out. Exit status 0, or 1 with a report when PATH
// itself cannot be read.
int ListModels(const std::string& path, FILE* out);

// The listing line of one model's bytes; false after a report.
bool ListingLine(const std::string& path, const std::vector<uint8_t>& bytes, std::string& line);
