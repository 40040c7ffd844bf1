#include "batch/batch_export.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>

#include "batch/export_sources.h"
#include "batch/export_workers.h"
#include "batch/progress.h"
#include "gallery/gallery.h"
#include "platform/atomic_file.h"
#include "platform/error_log.h"
#include "platform/names.h"

namespace {

// A run's tally, and what the gallery and the report are made of.
struct Tally {
    int written = 0, kept = 0, failed = 0;
    std::vector<std::string> failures;  // "SOURCE: why"
    std::map<std::string, GalleryEntry> gallery;
};

// Written before, after its model last changed, with its gallery entry and thumbnail.
bool UpToDate(const BatchExportCommand& request, const ExportItem& item, const std::map<std::string, GalleryEntry>& old)
{
    if (request.force || ModifiedTime(OutputOf(request, item)) < item.modified)
        return false;
    return !request.gallery || (old.count(item.name) && ModifiedTime(PictureOf(request, item)) >= item.modified);
}

GalleryEntry EntryOf(const BatchExportCommand& request, const ExportItem& item, const ItemOutcome& outcome)
{
    return GalleryEntry{item.name, item.name + "." + request.extension, item.format, outcome.frames,
                        outcome.animations};
}

bool WriteReport(const BatchExportCommand& request, const Tally& tally, int total)
{
    std::vector<std::string> failures = tally.failures;
    std::sort(failures.begin(), failures.end());  // the same whatever order the workers finished in
    std::string text = std::to_string(tally.failed) + " of " + std::to_string(total) + " models not written\n";
    for (const std::string& failure : failures)
        text += failure + "\n";
    std::string error;
    if (WriteFileAtomically(request.folder + "export-report.txt", text, error))
        return true;
    fprintf(stderr, "tarnivel: %sexport-report.txt: %s\n", request.folder.c_str(), error.c_str());
    return false;
}

void Summarise(const Tally& tally, int total, int notDone, bool stopped, double seconds)
{
    fprintf(stderr, "tarnivel: %d model%s: %d written, %d up to date, %d failed", total, total == 1 ? "" : "s", tally.written,
            tally.kept, tally.failed);
    if (notDone > 0)
        fprintf(stderr, ", %d %s", notDone, stopped ? "left when interrupted" : "not done: no worker could be started");
    fprintf(stderr, ", in %.1f s\n", seconds);
}

// Runs what is not up to date and tallies every item.
bool ExportAll(const BatchExportCommand& request, const std::vector<ExportItem>& items, Tally& tally, Progress& progress)
{
    std::map<std::string, GalleryEntry> old = ReadGallery(request.folder);
    std::vector<int> todo;
    for (size_t i = 0; i < items.size(); ++i) {
        if (!UpToDate(request, items[i], old)) {
            todo.push_back(static_cast<int>(i));
            continue;
        }
        tally.kept += 1;
        tally.gallery[items[i].name] = old[items[i].name];
    }
    // What earlier runs wrote there and this one does not touch stays in the gallery.
    for (const auto& entry : old)
        if (ModifiedTime(request.folder + entry.second.file) >= 0)
            tally.gallery.insert(entry);
    StartProgress(progress, stderr, static_cast<int>(todo.size()));
    WorkerEvents events;
    events.started = [&](int i) { ProgressTakes(progress, items[i].name); };
    events.waiting = [&]() { RedrawProgress(progress); };
    events.finished = [&](int i, const ItemOutcome& outcome) {
        const ExportItem& item = items[i];
        if (!outcome.written) {
            tally.failed += 1;
            tally.failures.push_back(AsText(item.source + ": " + outcome.error));
            ProgressSays(progress, AsText("tarnivel: " + item.source + ": " + outcome.error));
            ProgressDone(progress, "failed " + item.source);
            return;
        }
        tally.written += 1;
        tally.gallery[item.name] = EntryOf(request, item, outcome);
        if (!outcome.pictureError.empty()) {
            tally.failures.push_back(AsText(item.source + ": no thumbnail: " + outcome.pictureError));
            ProgressSays(progress, AsText("tarnivel: " + item.source + ": no thumbnail: " + outcome.pictureError));
        }
        ProgressDone(progress, "written " + OutputOf(request, item));
    };
    int jobs = request.jobs > 0 ? request.jobs : std::max(1, static_cast<int>(sysconf(_SC_NPROCESSORS_ONLN)));
    bool stopped = todo.empty() ? false : RunWorkers(request, items, todo, jobs, events);
    EndProgress(progress);
    return stopped;
}

}  // namespace

int RunBatchExport(const BatchExportCommand& request)
{
    reportConsole = stderr;
    errorLog = nullptr;
    std::vector<ExportItem> items;
    std::string error;
    if (!FindExportItems(request.sources, items, error)) {
        fprintf(stderr, "tarnivel: %s\n", error.c_str());
        return 1;
    }
    if (items.empty()) {
        fprintf(stderr, "tarnivel: no models in %s\n", request.sources.size() == 1 ? request.sources[0].c_str() : "the sources");
        return 1;
    }
    std::error_code fault;
    std::filesystem::create_directories(request.folder, fault);
    if (fault) {
        fprintf(stderr, "tarnivel: %s: %s\n", request.folder.c_str(), fault.message().c_str());
        return 1;
    }
    Tally tally;
    Progress progress;
    double start = Seconds();
    bool stopped = ExportAll(request, items, tally, progress);
    int total = static_cast<int>(items.size());
    bool reported = WriteReport(request, tally, total);
    if (request.gallery) {
        std::vector<GalleryEntry> entries;
        for (const auto& entry : tally.gallery)
            entries.push_back(entry.second);
        if (!WriteGallery(request.folder, entries, error))
            fprintf(stderr, "tarnivel: the gallery: %s\n", error.c_str());
    }
    Summarise(tally, total, total - tally.written - tally.kept - tally.failed, stopped, Seconds() - start);
    if (stopped)
        return 130;
    if (tally.written + tally.kept == 0)
        return 1;
    return tally.failed > 0 || !reported ? 2 : 0;
}
