#pragma once

// What the skeletal formats' loads share, for the model's own code: joints
// matched by name, animations appended, vertices' weights kept to four,
// parts made of skinned meshes, the animation files that go with a mesh
// (its cube-engine configuration's, or those beside it whose joints
// match), its skins, and the drawn form with frames named after the
// animations.
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "archive/game_files.h"
#include "formats/framegroups.h"
#include "geometry/drawn_model.h"
#include "model/cube_models.h"
#include "model/format_loads.h"

void QuaternionMultiply(const float a[4], const float b[4], float out[4]);
void RotateByQuaternion(const float q[4], const float v[3], float out[3]);

// A pose from ten channels: translation, rotation, scale.
JointPose PoseOfChannels(const float* channels);
// Which skeleton joint each of a file's joints (or poses) is, by name, or
// with no names by number; empty when they do not match.
std::vector<int> MatchJoints(const Skeleton& skeleton, const std::vector<std::string>& names, size_t count);
// The groups as the skeleton's animations, each group's frames posed by
// pose (which adds every joint's pose of one of the file's frames); groups
// past the file's frames are reported and left out.
void AddGroupAnimations(Skeleton& skeleton, const std::vector<FrameGroupRun>& groups, size_t frames,
                        const std::function<void(size_t frame)>& pose);

// Names the last count frames added an animation (at 10 frames a second when fps is not positive).
void AppendAnimation(Skeleton& skeleton, const std::string& name, int count, float fps, bool loop);
// Four joints a vertex at most, the largest, their weights made to sum to
// one (fixed set when they did not).
void PutWeights(std::vector<std::pair<float, int>> weights, int joints, SkinnedVertices& out, bool& fixed);
// A mesh as a part skinned on the skeleton; normals from the triangles when the mesh has none.
DrawnPart PartOf(const std::string& name, int slot, std::vector<float> texCoords, std::vector<uint32_t> indices,
                 SkinnedVertices skinned, bool withNormals, const std::shared_ptr<const Skeleton>& skeleton);

// The drawn form of a skeletal model: its parts, and frames named after
// its animations (NAME1, NAME2...; the bind pose alone when it has none).
DrawnModel SkeletalDrawn(std::vector<DrawnPart> parts, std::shared_ptr<const Skeleton> skeleton,
                         const char* loader, const char* draw);
// The frame names of that form, 16 characters at most, numbers kept.
std::vector<std::string> SkeletalFrameNames(const Skeleton& skeleton);

// Animation files read once a run: a folder's are tried for every model in it.
template <typename Record>
std::shared_ptr<const Record> CachedRecord(const std::string& path,
                                           std::unique_ptr<Record> (*read)(const std::vector<uint8_t>&, Reports&))
{
    static std::map<std::string, std::shared_ptr<const Record>> read_;
    auto known = read_.find(path);
    if (known != read_.end())
        return known->second;
    std::vector<uint8_t> bytes;
    std::string error;
    Reports quiet;
    std::shared_ptr<const Record> record;
    if (ReadGameFile(path, bytes, error) == GameFileResult::kOk)
        record = read(bytes, quiet);
    return read_.emplace(path, record).first->second;
}

// The configuration's animations when it is the model's, else the files
// beside it (its folder, then the one above) that hold only animations of
// the same joints, in any skeletal format.
void AddAnimations(Skeleton& skeleton, const std::string& path, const CubeModelConfig& config, const char* who);

// Turns a skeletal model about its up axis (the file's z) by degrees: its
// root joints, in the bind pose and every frame, and its meshes' vertices.
void TurnSkeletal(Skeleton& skeleton, std::vector<DrawnPart>& parts, float degrees);

// The model of a skeletal file: its skins (each mesh the configuration's
// image for it, else its own material's look), frame names and drawn form.
// parts makes the meshes on the finished skeleton.
// looks, when given, makes the skins in place of finding each mesh's material.
using SkeletalParts = std::function<std::vector<DrawnPart>(const std::shared_ptr<const Skeleton>&, Reports&)>;
using SkeletalLooks = std::function<void(ModelObject*, const std::vector<DrawnPart>&)>;
std::unique_ptr<ModelObject> FinishSkeletal(const char* path, std::shared_ptr<void> record, Skeleton skeleton,
                                            const SkeletalParts& parts, const CubeModelConfig& config,
                                            const char* who, const char* draw, const SkeletalLooks& looks = nullptr);

// A listing's columns for a skeletal model.
void SummariseSkeletal(const Skeleton& skeleton, size_t meshes, ModelSummary& summary);
