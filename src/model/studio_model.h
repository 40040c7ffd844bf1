#pragma once

// A Half-Life studio model as the drawn form: its bones and attachments
// the skeleton, its sequences the animations, a part a mesh of the
// sub-model the body number picks in each body part.
#include <memory>
#include <vector>

#include "formats/studio.h"
#include "geometry/drawn_model.h"

Skeleton StudioSkeleton(const StudioFile& file);
// meshes, when given, gets the mesh each part is made of.
std::vector<DrawnPart> StudioParts(const StudioFile& file, int body, const std::shared_ptr<const Skeleton>& skeleton,
                                   std::vector<const StudioMesh*>* meshes);
