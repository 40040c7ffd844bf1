#include "batch/export_command.h"

#include <cstdio>
#include <memory>

#include "model/load.h"
#include "model/palettes.h"
#include "platform/error_log.h"

int RunExport(const ExportCommand& request)
{
    // The files are the output: reports go to standard error, and no log is kept.
    reportConsole = stderr;
    errorLog = nullptr;
    LoadMDLPalette();
    LoadMD2Palette();
    std::unique_ptr<ModelObject> model;
    std::string error;
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
