#include <cstdint>
#include <vector>

#include "formats/iqm.h"
#include "model/iqm_model.h"
#include "model/skeletal_load.h"
#include "pose_every_frame.h"

// Reads like the viewer, takes the file's animations as a second file's
// would be taken too, skins the meshes and poses every frame with every
// method: every index the file gave is used as the viewer uses it.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Reports reports;
    std::unique_ptr<IqmFile> file = ReadIqm(std::vector<uint8_t>(data, data + size), reports);
    if (!file)
        return 0;
    Skeleton skeleton = IqmSkeleton(*file);
    AddIqmAnimations(skeleton, *file, "again", 0);
    FinishSkeleton(skeleton);
    auto shared = std::make_shared<const Skeleton>(std::move(skeleton));
    DrawnModel drawn = SkeletalDrawn(IqmParts(*file, shared, reports), shared, "", "");
    PoseEveryFrame(drawn);
    return 0;
}
