#include <cstdint>
#include <vector>

#include "formats/zym.h"
#include "geometry/pose.h"
#include "model/skeletal_load.h"
#include "model/zym_model.h"

// Reads like the viewer, puts the vertices on their bones and poses every
// frame with every method: every index the file gave is used as the viewer
// uses it.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Reports reports;
    std::unique_ptr<ZymFile> file = ReadZym(std::vector<uint8_t>(data, data + size), reports);
    if (!file)
        return 0;
    auto shared = std::make_shared<const Skeleton>(ZymSkeleton(*file));
    DrawnModel drawn = SkeletalDrawn(ZymParts(*file, shared), shared, "", "");
    std::vector<float> positions, normals;
    std::vector<DecodedVertex> vertices;
    for (size_t p = 0; p < drawn.parts.size(); ++p) {
        std::shared_ptr<ComputedNormals> computed;
        for (int frame = 0; frame < drawn.frameCount && frame < 64; ++frame) {
            PoseFrame(drawn.parts[p], frame, true, positions, normals);
            const int window[4] = {frame, frame, frame + 1 < drawn.frameCount ? frame + 1 : 0, 0};
            for (uint8_t method = 0; method < 3; ++method)
                PosePart(drawn.parts[p], static_cast<int>(p), window, 0.5f, method, true, computed, nullptr,
                         vertices);
        }
    }
    return 0;
}
