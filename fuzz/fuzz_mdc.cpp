#include <cstdint>
#include <cstdio>
#include <vector>

#include "formats/mdc.h"
#include "model/mdc_model.h"
#include "render/draw.h"
#include "render/tags.h"
#include "state/viewer_state.h"

// Reads like the viewer, then draws every surface of a window of frames
// with every method and blends every tag, as for MD3: the decoded frames
// and the tags are used as the viewer uses them.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static FILE* quiet = freopen("/dev/null", "w", stdout);
    (void)quiet;
    Reports reports;
    std::unique_ptr<MdcFile> file = ReadMdc(std::vector<uint8_t>(data, data + size), reports);
    if (!file)
        return 0;
    ModelObject model;
    model.numFrames = FrameCount(file->shape);
    std::vector<std::string> tags;
    for (int t = 0; t < file->shape.numTags; ++t)
        tags.push_back(file->shape.tags[t].name);
    model.drawn = std::make_unique<const DrawnModel>(ConvertRecord(*file));
    model.fileData = std::move(file);
    model.prevPrevFrame = 0, model.prevFrame = model.numFrames - 1, model.currentFrame = 1, model.nextFrame = 7;
    for (uint8_t method = 0; method < 3; ++method) {
        viewer.interpolationMethod = method;
        viewer.lightingEnabled = true;
        viewer.remeshing = method == 2;
        viewer.remeshThreshold = 1;
        UpdateModelFrameArrays(&model, 0.5f);
        float matrix[16];
        for (const std::string& tag : tags)
            TagMatrix(&model, tag, matrix);
    }
    return 0;
}
