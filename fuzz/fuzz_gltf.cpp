#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "model/model_formats.h"
#include "render/draw.h"
#include "state/viewer_state.h"

namespace {

void Draw(ModelObject& model)
{
    model.prevFrame = model.numFrames - 1, model.currentFrame = 0, model.nextFrame = model.numFrames > 1 ? 1 : 0;
    for (uint8_t method = 0; method < 3; ++method) {
        viewer.interpolationMethod = method;
        DrawModelFrame(&model, 0, 0.25f);
    }
}

}  // namespace

// A .glb by its magic, else the JSON of a .gltf, loaded as the viewer
// loads it (each piece too), in a folder that does not exist so nothing
// beside it is found, then drawn with every method: without a GL context
// the drawing calls do nothing, but every index the file gave is used.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static FILE* quiet = freopen("/dev/null", "w", stdout);
    (void)quiet;
    std::vector<uint8_t> bytes(data, data + size);
    std::string family;
    const char* path = "/nonexistent/fuzz.gltf";
    const ModelFormat* row = FormatOfFile(path, bytes, family);
    if (!row)
        return 0;
    if (std::unique_ptr<ModelObject> model = row->load(path, bytes))
        Draw(*model);
    std::vector<ModelPiece> pieces;
    if (row->loadPieces && row->loadPieces(path, bytes, pieces))
        for (ModelPiece& piece : pieces)
            Draw(*piece.model);
    return 0;
}
