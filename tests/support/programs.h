#pragma once

#include <sys/types.h>

#include <string>
#include <utility>
#include <vector>

using Environment = std::vector<std::pair<std::string, std::string>>;

// Starts a program in a folder with the variables set (an empty value unsets
// one), standard input from the descriptor (/dev/null when -1), and standard
// output and error into the files (the same file when the names match).
pid_t Spawn(const std::vector<std::string>& arguments, const std::string& folder, const Environment& environment,
            int input, const std::string& output, const std::string& errors);
// The exit status of a process waitpid gave, or 1000 + the signal that ended it.
int EndStatus(int waitStatus);

// What a program run printed on standard error, and how it ended.
struct ProgramRun {
    int status = -1;
    std::string errors;
};

// Runs a shell command and gives its standard output.
std::string RunCommand(const std::string& command);

// Runs a program in a folder with no display server in its environment
// (DISPLAY and WAYLAND_DISPLAY unset), plus the given variables.
ProgramRun RunWithoutDisplay(const std::vector<std::string>& arguments, const std::string& folder,
                             const Environment& environment = {});
