#include "batch/command_line.h"

#include <cstdio>
#include <cstring>

#include "batch/model_listing.h"
#include "core/error_log.h"
#include "core/startup.h"

namespace {

const char kUsage[] =
    "usage: tarnivel [MODEL...]\n"
    "       tarnivel --list PATH\n"
    "  MODEL  a .mdl or .md2 file, an archive (.pak, .pk3, .zip) to choose a model in, or a\n"
    "         model inside one: .../id1/pak0.pak/progs/ogre.mdl\n"
    "  --list PATH  prints a line for every model of a model file, an archive or a folder:\n"
    "               its path, format, frames, vertices, triangles and skins\n";

}  // namespace

int RunCommandLine(int argc, char** argv)
{
    if (argc >= 2 && (strcmp(argv[1], "--help") == 0 || strcmp(argv[1], "-h") == 0)) {
        fputs(kUsage, stdout);
        return 0;
    }
    if (argc >= 2 && strcmp(argv[1], "--list") == 0) {
        // The listing is the output: reports go to standard error, and no log is kept.
        reportConsole = stderr;
        if (argc != 3) {
            fputs(kUsage, stderr);
            return 2;
        }
        return ListModels(argv[2], stdout);
    }
    return RunViewer(argc, argv);
}
