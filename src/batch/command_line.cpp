#include "batch/command_line.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "batch/batch_export.h"
#include "batch/export_command.h"
#include "batch/model_listing.h"
#include "batch/render_options.h"
#include "model/load.h"
#include "platform/error_log.h"
#include "viewer/startup.h"

namespace {

const char kUsageHead[] =
    "usage: tarnivel [[--weapon NAME|PATH] MODEL...]\n"
    "       tarnivel --list PATH\n"
    "       tarnivel --version\n"
    "       tarnivel --render OUT.png [--size WxH] [--frame N|NAME] [--skin N|NAME] [--background NAME]\n"
    "                [--interpolation none|linear|cubic] [--frames A-B [--fps N]] [--weapon NAME|PATH] [--body N]\n"
    "                MODEL\n"
    "       tarnivel --export OUT.glb|.gltf|.obj|.md3|.iqm|.md2|.mdl [--frames A-B] [--frame N|NAME] [--skin N|NAME]\n"
    "                [--fps N] [--interpolation none|linear] [--scale S] [--weapon NAME|PATH] [--palette FILE]\n"
    "                [--per-frame-bounds] [--flags rotate,rocket,...] [--body N] MODEL\n"
    "  MODEL  a model file (";
// The formats between: the table's.
const char kUsageTail[] =
    "), a Quake III player folder, an archive\n"
    "         (.pak, .pk3, .zip) to choose a model in, or a model inside one: .../id1/pak0.pak/progs/ogre.mdl\n"
    "  --body N  a Half-Life model's body number: the sub-model of each body part drawn or written,\n"
    "               as the game counts them (0, the first of each)\n"
    "  --weapon NAME|PATH  a Quake III player holds the weapon: models/weapons2/NAME/NAME.md3 of its\n"
    "               game, or a weapon's .md3; a player is exported whole, its skin set by --skin NAME\n"
    "  --list PATH  prints a line for every model of a model file, an archive or a folder:\n"
    "               its path, format, frames, vertices, triangles and skins\n"
    "  --render OUT.png  draws the model with no window (no display server needed), framed from\n"
    "               the front and a little above, into a PNG with an alpha channel; --frames A-B\n"
    "               writes OUT_000.png onward, the animation at --fps pictures a second (10)\n"
    "  --export OUT  writes the model as glTF 2.0 (.glb, or .gltf with everything inside it): every\n"
    "               frame a morph target, an animation per frame sequence at --fps (10), the skins\n"
    "               as textures; or one frame (--frame) as .obj with its .mtl and skin .png beside it.\n"
    "               Sizes in metres, --scale metres a game unit (0.0254). Or into the games: .md3 (a player\n"
    "               as a player folder) or .iqm (a skeletal model), pictures and .skin files beside it,\n"
    "               --scale game units a model's unit (1), --fps sampling a skeleton's animations;\n"
    "               .md2 (skins as PCX in the game's palette or --palette FILE, and PNG; each frame its own\n"
    "               box with --per-frame-bounds) or .mdl (skins inside it in the Quake palette; --flags\n"
    "               rocket,grenade,gib,rotate,tracer,zomgib,tracer2,tracer3)\n"
    "  --export OUTDIR/ SOURCE...  writes every model of the archives, folders and models named into\n"
    "               OUTDIR at its path there (players whole) as --format glb|gltf|obj|md3|iqm|md2|mdl (glb),\n"
    "               -j N at once (one a core), with\n"
    "               OUTDIR/export-report.txt naming each failure and OUTDIR/index.html showing them all;\n"
    "               what is newer than its model is kept unless --force\n";

const char* Usage()
{
    static const std::string usage = kUsageHead + ModelExtensionsText() + kUsageTail;
    return usage.c_str();
}

}  // namespace

int RunCommandLine(int argc, char** argv)
{
    if (argc >= 2 && (strcmp(argv[1], "--help") == 0 || strcmp(argv[1], "-h") == 0)) {
        fputs(Usage(), stdout);
        return 0;
    }
    if (argc >= 2 && strcmp(argv[1], "--version") == 0) {
        printf("tarnivel %s\n", TARNIVEL_VERSION);
        return 0;
    }
    if (argc >= 2 && strcmp(argv[1], "--list") == 0) {
        // The listing is the output: reports go to standard error, and no log is kept.
        reportConsole = stderr;
        if (argc != 3) {
            fputs(Usage(), stderr);
            return 2;
        }
        return ListModels(argv[2], stdout);
    }
    if (argc >= 2 && strcmp(argv[1], "--render") == 0) {
        PictureRequest request;
        std::string error;
        if (!ParseRenderOptions(argc - 2, argv + 2, request, error)) {
            fprintf(stderr, "tarnivel: %s\n%s", error.c_str(), Usage());
            return 2;
        }
        return RenderPictures(request);
    }
    if (argc >= 2 && strcmp(argv[1], "--export") == 0 && IsBatchExport(argc - 2, argv + 2)) {
        BatchExportCommand request;
        std::string error;
        if (!ParseBatchExportOptions(argc - 2, argv + 2, request, error)) {
            fprintf(stderr, "tarnivel: %s\n%s", error.c_str(), Usage());
            return 2;
        }
        return RunBatchExport(request);
    }
    if (argc >= 2 && strcmp(argv[1], "--export") == 0) {
        ExportCommand request;
        std::string error;
        if (!ParseExportOptions(argc - 2, argv + 2, request, error)) {
            fprintf(stderr, "tarnivel: %s\n%s", error.c_str(), Usage());
            return 2;
        }
        return RunExport(request);
    }
    return RunViewer(argc, argv);
}
