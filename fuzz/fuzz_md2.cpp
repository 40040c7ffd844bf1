#include <cstdint>
#include <cstdio>
#include <vector>

#include "formats/md2.h"
#include "model/model_formats.h"
#include "model/md2_model.h"
#include "render/draw.h"
#include "state/viewer_state.h"

// Reads like the viewer, then draws every window frame with every method:
// without a GL context the drawing calls do nothing, but every index the
// file gave is used as the viewer would use it.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static FILE* quiet = freopen("/dev/null", "w", stdout);
    (void)quiet;
    Reports reports;
    std::unique_ptr<Md2File> file = OpenMd2Bytes(std::vector<uint8_t>(data, data + size), reports);
    std::vector<Md2SkinName> skins;
    ModelObject model;
    if (!file || !ReadMd2Sections(*file, skins, model.frameNames, reports))
        return 0;
    model.numFrames = file->header.numFrames;
    model.texturing = true;
    model.drawn = std::make_unique<const DrawnModel>(ConvertRecord(*file));
    model.fileData = std::move(file);
    model.prevPrevFrame = 0, model.prevFrame = model.numFrames - 1, model.currentFrame = 1, model.nextFrame = 7;
    for (uint8_t method = 0; method < 3; ++method) {
        viewer.interpolationMethod = method;
        viewer.useGlCommands = method != 1;
        viewer.lightingEnabled = true;
        viewer.remeshing = method == 2;
        viewer.remeshThreshold = 1;
        DrawModelFrame(&model, 0, 0.5f);
    }
    return 0;
}
