#include "batch/export_command.h"

#include <cstdio>
#include <memory>

#include "export/player_export.h"
#include "model/load.h"
#include "platform/guarded.h"
#include "platform/names.h"
#include "rig/assembly.h"
#include "looks/palettes.h"
#include "looks/skins.h"
#include "platform/error_log.h"

int RunExport(const ExportCommand& request)
{
    // The files are the output: reports go to standard error, and no log is kept.
    reportConsole = stderr;
    errorLog = nullptr;
    LoadMDLPalette();
    LoadMD2Palette();
    SkinFilesOnly files;  // a PNG skin is written as it is, so its pixels are never needed
    Assembly model;
    std::string error;
    bool read = Guarded(
        [&]() {
            GatheredReports reports;
            SetModelBody(request.body);
            bool loaded = LoadAssembly("tarnivel", request.model, request.weapon, model);
            error = loaded ? "" : reports.FirstError();
            return loaded;
        },
        error);
    if (!read) {
        fprintf(stderr, "tarnivel: %s: %s\n", AsText(request.model).c_str(), AsText(error).c_str());
        return 1;
    }
    ExportSummary summary;
    ExportCommand asked = request;
    asked.summary = &summary;
    if (!Guarded([&]() { return ExportAssembly(model, asked, error); }, error)) {
        fprintf(stderr, "tarnivel: %s: %s\n", AsText(request.output).c_str(), AsText(error).c_str());
        return 1;
    }
    for (const std::string& note : summary.notes)
        fprintf(stderr, "tarnivel: %s: %s\n", AsText(request.output).c_str(), note.c_str());
    return 0;
}
