#pragma once

#include <string>
#include <vector>

// What a reader has to say about a file, in its own words and in order: the
// fault that refuses it, and notes that do not. The reader keeps no log;
// whoever loads the file reports them.
using Reports = std::vector<std::string>;

// Formats one report (cut to 1023 characters, as the log cuts them).
void AddReport(Reports& reports, const char* format, ...) __attribute__((format(printf, 2, 3)));
