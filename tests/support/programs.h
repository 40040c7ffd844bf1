#pragma once

#include <string>
#include <utility>
#include <vector>

// What a program run printed on standard error, and how it ended.
struct ProgramRun {
    int status = -1;  // the exit status; 1000 + the signal when one ended it
    std::string errors;
};

// Runs a program in a folder with no display server in its environment
// (DISPLAY and WAYLAND_DISPLAY unset), plus the given variables.
ProgramRun RunWithoutDisplay(const std::vector<std::string>& arguments, const std::string& folder,
                             const std::vector<std::pair<std::string, std::string>>& environment = {});
