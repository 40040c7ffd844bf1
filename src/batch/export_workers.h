#pragma once

#include <functional>
#include <string>
#include <vector>

#include "batch/batch_options.h"
#include "batch/export_sources.h"
#include "offscreen/picture.h"

struct ItemOutcome {
    bool written = false;
    std::string error;         // why it was not written
    std::string pictureError;  // why it has no thumbnail
    int frames = 0;
    std::vector<std::string> animations;
};

// The file an item is written to, and its thumbnail.
std::string OutputOf(const BatchExportCommand& request, const ExportItem& item);
std::string PictureOf(const BatchExportCommand& request, const ExportItem& item);

// Exports one item in this process, and draws its thumbnail in the session
// when the gallery is made; the reports its reading makes are kept, not printed.
ItemOutcome ExportOneItem(const BatchExportCommand& request, const ExportItem& item, PictureSession& session);

// What the workers tell the process that runs them, as it happens.
struct WorkerEvents {
    std::function<void(int item)> started;
    std::function<void(int item, const ItemOutcome&)> finished;
    std::function<void()> waiting;  // a few times a second while none tells anything
};

// Runs the items listed in todo on jobs worker processes, each holding one
// model at a time. SIGINT, SIGTERM and SIGHUP stop the run once the models
// at hand are done; true when it was stopped so.
bool RunWorkers(const BatchExportCommand& request, const std::vector<ExportItem>& items, const std::vector<int>& todo,
                int jobs, const WorkerEvents& events);
