#include <cstdint>
#include <cstdio>
#include <vector>

#include "formats/mdl.h"
#include "model/model_formats.h"
#include "model/mdl_model.h"
#include "render/draw.h"
#include "state/viewer_state.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static FILE* quiet = freopen("/dev/null", "w", stdout);
    (void)quiet;
    Reports reports;
    std::unique_ptr<MdlFile> file = OpenMdlBytes(std::vector<uint8_t>(data, data + size), reports);
    std::vector<MdlSkinPicture> skins;
    ModelObject model;
    if (!file || !ReadMdlSections(*file, skins, model.frameNames, reports))
        return 0;
    // Every skin offset must leave a whole skin inside the file.
    size_t skinBytes = static_cast<size_t>(file->header.skinWidth) * static_cast<size_t>(file->header.skinHeight);
    volatile uint8_t sum = 0;
    for (const MdlSkinPicture& skin : skins)
        sum = sum + file->file[skin.offset] + file->file[skin.offset + skinBytes - 1];
    model.numFrames = FrameCount(*file);
    model.texturing = true;
    model.drawn = std::make_unique<const DrawnModel>(ConvertRecord(*file));
    model.fileData = std::move(file);
    model.prevFrame = model.numFrames - 1, model.currentFrame = 1, model.nextFrame = 3;
    for (uint8_t method = 0; method < 3; ++method) {
        viewer.interpolationMethod = method;
        viewer.remeshing = method == 2;
        viewer.remeshThreshold = 1;
        DrawModelFrame(&model, 0, 0.25f);
    }
    return 0;
}
