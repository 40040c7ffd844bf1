#include "batch/export_command.h"

#include <cstdio>
#include <memory>

#include "export/player_export.h"
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
    {
        GatheredReports reports;
        if (!LoadAssembly("tarnivel", request.model, request.weapon, model))
            error = reports.FirstError();
    }
    if (model.pieces.empty()) {
        fprintf(stderr, "tarnivel: %s: %s\n", request.model.c_str(), error.c_str());
        return 1;
    }
    if (!ExportAssembly(model, request, error)) {
        fprintf(stderr, "tarnivel: %s: %s\n", request.output.c_str(), error.c_str());
        return 1;
    }
    return 0;
}
