#pragma once

// A DarkPlaces model (DPM) as the drawn form: its bones the skeleton, its
// frames the skeleton's poses, its meshes skinned in the first frame's pose.
#include <memory>
#include <vector>

#include "formats/dpm.h"
#include "formats/framegroups.h"
#include "geometry/drawn_model.h"

// Its frames' runs of names its animations, or the frame groups beside it when it has them.
Skeleton DpmSkeleton(const DpmFile& file, const std::vector<FrameGroupRun>& groups = {});
std::vector<DrawnPart> DpmParts(const DpmFile& file, const std::shared_ptr<const Skeleton>& skeleton,
                                Reports& reports);
