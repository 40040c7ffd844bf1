#pragma once

#include <string>
#include <vector>

#include "batch/render_options.h"

// tarnivel --export OUTDIR/ SOURCE... [-j N] [--format glb|gltf|obj|md3|iqm]
//   [--force] [--no-gallery] and the options of one model's export, which
// apply to each.
struct BatchExportCommand {
    ExportCommand each;  // the options every model is written with
    std::string folder;  // ends in "/"
    std::vector<std::string> sources;
    std::string extension = "glb";
    int jobs = 0;  // 0: one a core
    bool force = false;
    bool gallery = true;
};

// An --export whose output is a folder: one ending in "/" or that exists as one.
bool IsBatchExport(int argc, char** argv);
bool ParseBatchExportOptions(int argc, char** argv, BatchExportCommand& request, std::string& error);

