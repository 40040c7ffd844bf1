#pragma once

// What MD5 files make: a skeleton, the animations of .md5anim files, meshes skinned on it.
#include <memory>
#include <string>
#include <vector>

#include "formats/md5.h"
#include "geometry/drawn_model.h"

// The bind pose of the file's joints, in the model's axes, made relative
// to their parents; a mesh of no joints stands on one root.
Skeleton Md5Skeleton(const Md5MeshFile& file);
// Adds the animation's frames as one animation of that name at fps (0: the
// file's own rate) when its joints match the skeleton's by name; false,
// adding nothing, when they do not.
bool AddMd5Animation(Skeleton& skeleton, const Md5AnimFile& file, const std::string& name, float fps);
// The meshes as drawn parts on the skeleton: weights made bind-pose
// vertices, at most four joints a vertex, normals from the triangles.
std::vector<DrawnPart> Md5Parts(const Md5MeshFile& file, const std::shared_ptr<const Skeleton>& skeleton,
                                Reports& reports);

// The drawn form of a record.
DrawnModel ConvertRecord(const Md5MeshFile& file);
