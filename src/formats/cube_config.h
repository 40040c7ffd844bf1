#pragma once

// The model configurations of the cube engines (Sauerbraten, Tesseract,
// Red Eclipse): an iqm.cfg or md5.cfg beside a model, lines of a command and
// its words ("iqmload", "iqmskin", "iqmanim", "exec"...), with "if 0 [ ]"
// blocks left out as the engines leave them out.
#include <string>
#include <vector>

#include "formats/reports.h"

struct CubeCommand {
    std::string name;
    std::vector<std::string> words;
    int line = 0;
};

// Every command of the text, in order; a block of "if" with a condition of
// 0 is left out, one of any other number kept. A line that cannot be read
// is reported (with file and line) and left out.
std::vector<CubeCommand> ReadCubeConfig(const std::string& text, const std::string& file, Reports& reports);
