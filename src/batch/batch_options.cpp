#include "batch/batch_options.h"

#include <sys/stat.h>

#include <cstring>

#include "export/export_model.h"

bool IsBatchExport(int argc, char** argv)
{
    if (argc < 1)
        return false;
    struct stat info;
    size_t length = strlen(argv[0]);
    return (length > 0 && argv[0][length - 1] == '/') || (stat(argv[0], &info) == 0 && S_ISDIR(info.st_mode));
}

bool ParseBatchExportOptions(int argc, char** argv, BatchExportCommand& request, std::string& error)
{
    request.folder = argc > 0 ? argv[0] : "";
    if (!request.folder.empty() && request.folder.back() != '/')
        request.folder += '/';
    for (int i = 1; i < argc; ++i) {
        const char* option = argv[i];
        if (strncmp(option, "-", 1) != 0) {
            request.sources.push_back(option);
        } else if (strcmp(option, "--force") == 0) {
            request.force = true;
        } else if (strcmp(option, "--no-gallery") == 0) {
            request.gallery = false;
        } else if (StandsAlone(option)) {
            if (!ParseExportOption(option, "", request.each, error))
                return false;
        } else if (i + 1 >= argc) {
            error = std::string(option) + " needs a value";
            return false;
        } else if (strcmp(option, "-j") == 0 || strcmp(option, "--jobs") == 0) {
            if (!ParseNumber(argv[++i], 1, 256, &request.jobs))
                error = std::string("bad value for ") + option + ": \"" + argv[i] + "\"";
        } else if (strcmp(option, "--format") == 0) {
            request.extension = argv[++i];
            if (!IsExportName("." + request.extension))
                error = "--format is glb, gltf, obj, md3, iqm, md2 or mdl, not \"" + request.extension + "\"";
        } else if (!ParseExportOption(option, argv[i + 1], request.each, error)) {
            return false;
        } else {
            ++i;
        }
        if (!error.empty())
            return false;
    }
    if (request.sources.empty())
        error = "--export " + request.folder + " needs an archive, a folder or a model to export";
    else if (request.each.firstFrame >= 0 && !request.each.frame.empty())
        error = "--frame and --frames do not go together";
    return error.empty();
}
