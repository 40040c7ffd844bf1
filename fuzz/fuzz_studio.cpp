#include <cstdint>
#include <vector>

#include "formats/studio.h"
#include "model/skeletal_load.h"
#include "model/studio_model.h"
#include "pose_every_frame.h"

// Reads like the viewer (its texture and sequence-group files are the
// same bytes again, so their tables are fuzzed too), draws every body
// number of the first few and poses every frame.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> bytes(data, data + size);
    Reports reports;
    std::unique_ptr<StudioFile> file = ReadStudio(
        bytes, [&](const std::string&, std::vector<uint8_t>& out) { return out = bytes, true; }, reports);
    if (!file)
        return 0;
    auto shared = std::make_shared<const Skeleton>(StudioSkeleton(*file));
    for (int body = 0; body < 4; ++body)
        PoseEveryFrame(SkeletalDrawn(StudioParts(*file, body, shared, nullptr), shared, "", ""));
    return 0;
}
