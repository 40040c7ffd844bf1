#pragma once

// What an IQM file makes: a skeleton with its animations, meshes skinned on it.
#include <memory>
#include <string>
#include <vector>

#include "formats/iqm.h"
#include "geometry/drawn_model.h"

// The bind pose of the file's joints; a mesh of no joints stands on one root.
Skeleton IqmSkeleton(const IqmFile& file);
// Adds the frames of the file whose joints match the skeleton's by name
// (or, with no names, by number) as its animations (one of that name at fps
// when a name is given; fps 0: the file's own rate); false, adding nothing,
// when they do not match.
bool AddIqmAnimations(Skeleton& skeleton, const IqmFile& file, const std::string& name, float fps);
// The meshes as drawn parts on the skeleton: at most four joints a vertex,
// the largest, their weights made to sum to one (reported once when a
// file's did not); normals from the triangles where the file gives none.
std::vector<DrawnPart> IqmParts(const IqmFile& file, const std::shared_ptr<const Skeleton>& skeleton,
                                Reports& reports);

// The drawn form of a record.
DrawnModel ConvertRecord(const IqmFile& file);
