#pragma once

// DarkPlaces' NAME.EXT.framegroups beside a model: a line a run of the
// model's frames, "first count [fps [loop [name]]]", as the engine reads
// them (fps 20 and looping when not given).
#include <string>
#include <vector>

#include "formats/reports.h"

struct FrameGroupRun {
    int first = 0, count = 0;
    float fps = 20;
    bool loop = true;
    // Its name; else the comment ending its line, as Nexuiz names them
    // ("1 8 20 0 // fire"); else "groupN".
    std::string name;
};

// Every line that has a first frame and a count; others are reported and passed over.
std::vector<FrameGroupRun> ReadFrameGroups(const std::string& text, Reports& reports);
