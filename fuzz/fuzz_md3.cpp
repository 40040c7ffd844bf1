#include <cstdint>
#include <cstdio>
#include <vector>

#include "formats/md3.h"
#include "model/model_formats.h"
#include "model/md3_model.h"
#include "draw_every_way.h"

// Reads like the viewer, then draws every surface of a window of frames with
// every method and blends every tag: without a GL context the drawing calls
// do nothing, but every index the file gave is used as the viewer uses it.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static FILE* quiet = freopen("/dev/null", "w", stdout);
    (void)quiet;
    Reports reports;
    std::unique_ptr<Md3File> file = ReadMd3(std::vector<uint8_t>(data, data + size), reports);
    if (!file)
        return 0;
    ModelObject model;
    model.numFrames = FrameCount(*file);
    model.drawn = std::make_unique<const DrawnModel>(ConvertRecord(*file));
    model.fileData = std::move(file);
    DrawEveryWay(model);
    return 0;
}
