#include <cstdint>
#include <cstdio>
#include <vector>

#include "formats/mdc.h"
#include "model/mdc_model.h"
#include "draw_every_way.h"

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
    model.drawn = std::make_unique<const DrawnModel>(ConvertRecord(*file));
    model.fileData = std::move(file);
    DrawEveryWay(model);
    return 0;
}
