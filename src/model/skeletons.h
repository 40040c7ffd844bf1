#pragma once

// What the skeletal formats make of their records, for the model's own
// code: skeletons with the animations of the model's own file and of the
// files that go with it, and the meshes skinned on them.
#include <memory>
#include <string>
#include <vector>

#include "formats/iqm.h"
#include "formats/md5.h"
#include "geometry/drawn_model.h"

// The bind pose of a mesh file's joints (MD5's, in the model's axes, made
// relative to their parents); a mesh of no joints stands on one root.
Skeleton IqmSkeleton(const IqmFile& file);
Skeleton Md5Skeleton(const Md5MeshFile& file);

// Adds the frames of an animation file whose joints match the skeleton's
// by name (or, with no names, by number) as one animation of that name at
// fps (0: the file's own rate); false, adding nothing, when they do not match.
bool AddIqmAnimations(Skeleton& skeleton, const IqmFile& file, const std::string& name, float fps);
bool AddMd5Animation(Skeleton& skeleton, const Md5AnimFile& file, const std::string& name, float fps);

// The meshes as drawn parts on the skeleton: MD5's weights made bind-pose
// vertices; at most four joints a vertex, the largest, their weights made
// to sum to one (reported once when a file's did not); normals from the
// triangles where the file gives none.
std::vector<DrawnPart> IqmParts(const IqmFile& file, const std::shared_ptr<const Skeleton>& skeleton,
                                Reports& reports);
std::vector<DrawnPart> Md5Parts(const Md5MeshFile& file, const std::shared_ptr<const Skeleton>& skeleton,
                                Reports& reports);

// The drawn form of a skeletal model: its parts, and frames named after
// its animations (NAME1, NAME2...; the bind pose alone when it has none).
DrawnModel SkeletalDrawn(std::vector<DrawnPart> parts, std::shared_ptr<const Skeleton> skeleton,
                         const char* loader, const char* draw);
// The frame names of that form, 16 characters at most, numbers kept.
std::vector<std::string> SkeletalFrameNames(const Skeleton& skeleton);
