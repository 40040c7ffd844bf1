#include "batch/export_command.h"

#include <cstdio>
#include <memory>

#include "export/player_export.h"
#include "model/load.h"
#include "model/q3_player_files.h"
#include "model/palettes.h"
#include "model/skins.h"
#include "platform/error_log.h"

int RunExport(const ExportCommand& request)
{
    // The files are the output: reports go to standard error, and no log is kept.
    reportConsole = stderr;
    errorLog = nullptr;
    LoadMDLPalette();
    LoadMD2Palette();
    SkinFilesOnly files;  // a PNG skin is written as it is, so its pixels are never needed
    std::unique_ptr<ModelObject> model;
    std::string error;
    if (IsQ3PlayerFolder(request.model)) {
        bool written;
        {
            GatheredReports reports;
            written = ExportQ3Player(request.model, request.weapon, request, error);
            if (!written && error.empty())
                error = reports.FirstError();
        }
        if (!written)
            fprintf(stderr, "tarnivel: %s: %s\n", request.model.c_str(), error.c_str());
        return written ? 0 : 1;
    }
    if (!request.weapon.empty()) {
        fprintf(stderr, "tarnivel: %s: --weapon is held by Quake III players only\n", request.model.c_str());
        return 1;
    }
    {
        GatheredReports reports;
        model = LoadModelFile("tarnivel", request.model.c_str());
        if (!model)
            error = reports.FirstError();
    }
    if (!model) {
        fprintf(stderr, "tarnivel: %s: %s\n", request.model.c_str(), error.c_str());
        return 1;
    }
    if (!ExportModel(*model, request, error)) {
        fprintf(stderr, "tarnivel: %s: %s\n", request.output.c_str(), error.c_str());
        return 1;
    }
    return 0;
}
