#include <cstdint>
#include <vector>

#include "formats/zym.h"
#include "model/skeletal_load.h"
#include "pose_every_frame.h"
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
    PoseEveryFrame(drawn);
    return 0;
}
