#include <cstdint>
#include <vector>

#include "formats/dpm.h"
#include "model/dpm_model.h"
#include "model/skeletal_load.h"
#include "pose_every_frame.h"

// Reads like the viewer, skins the meshes in the first frame's pose and
// poses every frame with every method: every index the file gave is used
// as the viewer uses it.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Reports reports;
    std::unique_ptr<DpmFile> file = ReadDpm(std::vector<uint8_t>(data, data + size), reports);
    if (!file)
        return 0;
    auto shared = std::make_shared<const Skeleton>(DpmSkeleton(*file));
    DrawnModel drawn = SkeletalDrawn(DpmParts(*file, shared, reports), shared, "", "");
    PoseEveryFrame(drawn);
    return 0;
}
