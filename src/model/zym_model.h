#pragma once

// A Zymotic model (ZYM) as the drawn form: its bones the skeleton, its
// scenes the skeleton's animations, a part a shader's triangles.
#include <memory>
#include <vector>

#include "formats/framegroups.h"
#include "formats/zym.h"
#include "geometry/drawn_model.h"

// The scenes its animations, or the frame groups beside it when it has them.
Skeleton ZymSkeleton(const ZymFile& file, const std::vector<FrameGroupRun>& groups = {});
std::vector<DrawnPart> ZymParts(const ZymFile& file, const std::shared_ptr<const Skeleton>& skeleton);
