#include "model/skeletal_load.h"

#include <strings.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>

#include "geometry/normals.h"
#include "model/darkplaces_files.h"
#include "looks/surface_looks.h"
#include "platform/error_log.h"
#include "platform/names.h"
#include "platform/paths.h"

namespace {

int JointNamed(const Skeleton& skeleton, const std::string& name)
{
    for (size_t j = 0; j < skeleton.joints.size(); ++j)
        if (skeleton.joints[j].name == name)
            return static_cast<int>(j);
    return -1;
}

bool HasExtension(const std::string& name, const char* wanted)
{
    const char* extension = ExtractExtension(name.c_str());
    return extension && strcasecmp(extension, wanted) == 0;
}

// The skeletal format whose animation files have the name's extension; null for none.
const ModelFormat* AnimationFormatOf(const std::string& path)
{
    for (const ModelFormat* format : kModelFormats)
        if (format->addAnimations && HasExtension(path, format->animationExtension))
            return format;
    return nullptr;
}

// A configuration's animation may be any file of a skeletal format; one
// found beside a model only a file of animations alone.
bool AddAnimationFile(Skeleton& skeleton, const std::string& path, const std::string& name, float fps,
                      bool animationsOnly)
{
    const ModelFormat* format = AnimationFormatOf(path);
    return format && format->addAnimations(skeleton, path, name, fps, animationsOnly);
}

void AddSkins(ModelObject* model, const std::vector<DrawnPart>& parts, const CubeModelConfig& config,
              const std::string& path, const char* who)
{
    PrepareSkinSlots(model, 0, 0);
    if (parts.empty())
        return;
    SurfaceLooks looks(model, path, who);
    std::vector<std::string> names, defaults;
    for (const DrawnPart& part : parts) {
        std::string name = part.material;
        for (const auto& entry : config.skins)
            if (entry.first == "*" || entry.first == part.name)
                name = entry.second;
        names.push_back(part.name);
        defaults.push_back(name);
    }
    // DarkPlaces' numbered skin files are the model's skins when it has them.
    std::vector<NumberedSkin> numbered = NumberedSkins(path);
    for (const NumberedSkin& skin : numbered)
        AddNumberedSkinSet(model, skin, names, defaults, looks);
    if (numbered.empty()) {
        SkinInfo& skin = model->skins[model->numSkins++];
        snprintf(skin.name, sizeof skin.name, "default");
        for (const std::string& name : defaults) {
            SurfaceLook look = looks.Of(name);
            skin.partPictures.push_back(look.picture);
            skin.partShaders.push_back(look.shader);
        }
    }
    model->hasSkins = model->texturing = !model->skinPictures.empty() || !model->shaders.empty();
}

void NameFrames(ModelObject* model, const Skeleton& skeleton)
{
    std::vector<std::string> names = SkeletalFrameNames(skeleton);
    model->numFrames = static_cast<int32_t>(names.size());
    model->frameNames = std::make_unique<FrameName[]>(names.size());
    for (size_t f = 0; f < names.size(); ++f)
        CopyText(model->frameNames[f].text, sizeof model->frameNames[f].text, names[f]);
}

std::string AnimationNames(const Skeleton& skeleton)
{
    std::string names;
    for (const SkeletalAnimation& animation : skeleton.animations)
        names += (names.empty() ? "" : ",") + animation.name;
    return names;
}

}  // namespace

void QuaternionMultiply(const float a[4], const float b[4], float out[4])
{
    const float r[4] = {a[3] * b[0] + a[0] * b[3] + a[1] * b[2] - a[2] * b[1],
                        a[3] * b[1] - a[0] * b[2] + a[1] * b[3] + a[2] * b[0],
                        a[3] * b[2] + a[0] * b[1] - a[1] * b[0] + a[2] * b[3],
                        a[3] * b[3] - a[0] * b[0] - a[1] * b[1] - a[2] * b[2]};
    std::copy(r, r + 4, out);
}

void RotateByQuaternion(const float q[4], const float v[3], float out[3])
{
    const float p[4] = {v[0], v[1], v[2], 0}, conjugate[4] = {-q[0], -q[1], -q[2], q[3]};
    float t[4], r[4];
    QuaternionMultiply(q, p, t);
    QuaternionMultiply(t, conjugate, r);
    std::copy(r, r + 3, out);
}


JointPose PoseOfChannels(const float* c)
{
    JointPose pose;
    std::copy(c, c + 3, pose.translate);
    std::copy(c + 3, c + 7, pose.rotate);
    NormalizeQuaternion(pose.rotate);
    std::copy(c + 7, c + 10, pose.scale);
    return pose;
}

// Which skeleton joint each of the file's joints (or poses) is; empty when they do not match.
std::vector<int> MatchJoints(const Skeleton& skeleton, const std::vector<std::string>& names, size_t count)
{
    std::vector<int> to(count, -1);
    if (count != skeleton.joints.size())
        return {};
    for (size_t j = 0; j < count; ++j) {
        to[j] = names.empty() ? static_cast<int>(j) : JointNamed(skeleton, names[j]);
        if (to[j] < 0)
            return {};
    }
    return to;
}

void AppendAnimation(Skeleton& skeleton, const std::string& name, int count, float fps, bool loop)
{
    SkeletalAnimation animation{name, skeleton.frameCount, count, fps > 0 ? fps : 10.0f, loop};
    skeleton.animations.push_back(animation);
    skeleton.frameCount += count;
}

// Four joints a vertex at most, the largest, their weights made to sum to one.
void PutWeights(std::vector<std::pair<float, int>> weights, int joints, SkinnedVertices& out, bool& fixed)
{
    std::sort(weights.begin(), weights.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    weights.resize(std::min<size_t>(weights.size(), 4));
    float sum = 0;
    for (auto& w : weights) {
        if (w.second < 0 || w.second >= joints)
            w = {0.0f, 0};
        sum += w.first;
    }
    if (std::fabs(sum - 1.0f) > 0.01f)
        fixed = true;
    if (!(sum > 0))
        weights = {{1.0f, 0}}, sum = 1;
    for (size_t k = 0; k < 4; ++k) {
        bool have = k < weights.size();
        out.joints.push_back(static_cast<uint16_t>(have ? weights[k].second : 0));
        out.weights.push_back(have ? weights[k].first / sum : 0.0f);
    }
}

DrawnPart PartOf(const std::string& name, int slot, std::vector<float> texCoords, std::vector<uint32_t> indices,
                 SkinnedVertices skinned, bool withNormals, const std::shared_ptr<const Skeleton>& skeleton)
{
    DrawnPart part;
    part.name = name;
    part.skinSlot = slot;
    auto layout = std::make_shared<FrameLayout>();
    layout->frameVertex.resize(skinned.count);
    std::iota(layout->frameVertex.begin(), layout->frameVertex.end(), 0u);
    layout->texCoords = std::move(texCoords);
    // Their front faces wind the other way from the viewer's.
    for (size_t i = 0; i + 2 < indices.size(); i += 3)
        std::swap(indices[i + 1], indices[i + 2]);
    layout->indices = indices;
    part.corners = indices;
    part.triangles = layout;
    if (!withNormals) {
        skinned.normals.assign(skinned.positions.size(), 0.0f);
        NormalsFromTriangles(skinned.positions.data(), skinned.count, part.corners, skinned.normals.data());
    }
    part.skinned = std::move(skinned);
    part.skeleton = skeleton;
    return part;
}

constexpr size_t kMaxGroupPoses = 1 << 22;

void AddGroupAnimations(Skeleton& skeleton, const std::vector<FrameGroupRun>& groups, size_t frames,
                        const std::function<void(size_t frame)>& pose)
{
    if (frames == 0)
        return;
    size_t played = 0;  // groups may play the same frames again: what they play together is held to a budget
    for (const FrameGroupRun& given : groups) {
        FrameGroupRun group = BoundGroup(given, frames);
        played += size_t(group.count) * std::max<size_t>(1, skeleton.joints.size());
        if (played > kMaxGroupPoses) {
            ReportError("FrameGroups: the groups play more than %zu bone poses; the rest are left out", kMaxGroupPoses);
            return;
        }
        for (int k = 0; k < group.count; ++k)
            pose(size_t(group.first) + size_t(k));
        AppendAnimation(skeleton, group.name, group.count, group.fps, group.loop);
    }
}

std::vector<std::string> SkeletalFrameNames(const Skeleton& skeleton)
{
    std::vector<std::string> names(std::max(1, skeleton.frameCount), "bind");
    for (const SkeletalAnimation& animation : skeleton.animations) {
        for (int k = 0; k < animation.count; ++k) {
            std::string number = std::to_string(k + 1);
            names[animation.first + k] = FirstCharacters(animation.name, kFrameNameCharacters - number.size()) + number;
        }
    }
    return names;
}

namespace {

// The joints named tag_* as tags at every frame, as the engines find tags
// on skeletal models by their joints' names.
void AddJointTags(const Skeleton& skeleton, DrawnModel& drawn)
{
    std::vector<size_t> tagJoints;
    for (size_t j = 0; j < skeleton.joints.size(); ++j)
        if (IsTagName(skeleton.joints[j].name))
            tagJoints.push_back(j);
    if (tagJoints.empty())
        return;
    std::vector<JointPose> bind;
    for (const Joint& joint : skeleton.joints)
        bind.push_back(joint.bind);
    size_t joints = skeleton.joints.size();
    for (int frame = 0; frame < drawn.frameCount; ++frame) {
        const JointPose* poses = skeleton.frameCount > 0 ? &skeleton.frames[frame * joints] : bind.data();
        std::vector<Matrix34> world = JointMatrices(skeleton.joints, poses);
        for (size_t j : tagJoints) {
            TagPlace tag;
            tag.name = skeleton.joints[j].name;
            for (int r = 0; r < 3; ++r) {
                tag.origin[r] = world[j].m[4 * r + 3];
                for (int axis = 0; axis < 3; ++axis)
                    tag.axis[axis][r] = world[j].m[4 * r + axis];
            }
            OrthonormalizeTag(tag.axis);
            drawn.tags.push_back(tag);
        }
    }
    drawn.tagCount = static_cast<int32_t>(tagJoints.size());
}

}  // namespace

DrawnModel SkeletalDrawn(std::vector<DrawnPart> parts, std::shared_ptr<const Skeleton> skeleton, const char* loader,
                         const char* draw)
{
    DrawnModel drawn;
    drawn.parts = std::move(parts);
    drawn.frameCount = std::max(1, skeleton->frameCount);
    AddJointTags(*skeleton, drawn);
    drawn.skeleton = std::move(skeleton);
    drawn.loaderName = loader;
    drawn.drawName = draw;
    return drawn;
}

void AddAnimations(Skeleton& skeleton, const std::string& path, const CubeModelConfig& config, const char* who)
{
    if (ConfigIsModels(config, path)) {
        for (const CubeAnimation& animation : config.animations) {
            std::string file = FindGameFile(animation.path);
            if (file.empty() || !AddAnimationFile(skeleton, file, animation.name, animation.fps, false))
                ReportError("%s: the animation \"%s\" (%s) is missing or does not match the joints of \"%s\"; it "
                            "is left out",
                            who, animation.name.c_str(), animation.path.c_str(), path.c_str());
        }
        return;
    }
    std::string folder = DirectoryOf(path);
    for (const std::string& place : {folder, DirectoryOf(folder.substr(0, folder.size() - 1))}) {
        std::vector<std::string> files = GameFolderFiles(place);
        std::sort(files.begin(), files.end());
        for (const std::string& file : files)
            if (AnimationFormatOf(file) && strcasecmp(file.c_str(), path.c_str()) != 0)
                AddAnimationFile(skeleton, file, "", 0, true);
    }
}

void TurnSkeletal(Skeleton& skeleton, std::vector<DrawnPart>& parts, float degrees)
{
    float half = degrees * static_cast<float>(M_PI) / 360.0f, c = std::cos(2 * half), s = std::sin(2 * half);
    const float turn[4] = {0, 0, std::sin(half), std::cos(half)};
    auto rotate = [c, s](float* v) {
        float x = v[0], y = v[1];
        v[0] = c * x - s * y, v[1] = s * x + c * y;
    };
    auto turnRoot = [&](JointPose& pose) {
        rotate(pose.translate);
        float q[4];
        QuaternionMultiply(turn, pose.rotate, q);
        std::copy(q, q + 4, pose.rotate);
        NormalizeQuaternion(pose.rotate);
    };
    size_t joints = skeleton.joints.size();
    for (size_t j = 0; j < joints; ++j) {
        if (skeleton.joints[j].parent >= 0)
            continue;
        turnRoot(skeleton.joints[j].bind);
        for (size_t f = j; f < skeleton.frames.size(); f += joints)
            turnRoot(skeleton.frames[f]);
    }
    for (DrawnPart& part : parts) {
        for (size_t v = 0; v + 2 < part.skinned.positions.size(); v += 3)
            rotate(&part.skinned.positions[v]);
        for (size_t v = 0; v + 2 < part.skinned.normals.size(); v += 3)
            rotate(&part.skinned.normals[v]);
    }
}

std::unique_ptr<ModelObject> FinishSkeletal(const char* path, std::shared_ptr<void> record, Skeleton skeleton,
                                            const SkeletalParts& parts, const CubeModelConfig& config,
                                            const char* who, const char* draw, const SkeletalLooks& looks)
{
    auto model = std::make_unique<ModelObject>();
    Skeleton turned = skeleton;
    FinishSkeleton(skeleton);
    auto shared = std::make_shared<const Skeleton>(std::move(skeleton));
    Reports reports;
    std::vector<DrawnPart> drawn = parts(shared, reports);
    ReportAll(reports);
    // A cube engine's model faces as its game shows it: the engine draws it
    // turned back by its configuration's mdlyaw (Red Eclipse's players face
    // -y, and their mdlyaw of -90 brings them round to face +x, as every
    // Quake model faces).
    if (ConfigIsModels(config, path) && config.yaw != 0) {
        TurnSkeletal(turned, drawn, -config.yaw);
        FinishSkeleton(turned);
        shared = std::make_shared<const Skeleton>(std::move(turned));
        for (DrawnPart& part : drawn)
            part.skeleton = shared;
    }
    if (looks)
        looks(model.get(), drawn);
    else
        AddSkins(model.get(), drawn, config, path, who);
    NameFrames(model.get(), *shared);
    model->drawn = std::make_unique<const DrawnModel>(SkeletalDrawn(std::move(drawn), shared, who, draw));
    model->fileData = std::move(record);
    InitCommonModelFields(model.get());
    return model;
}

void SummariseSkeletal(const Skeleton& skeleton, size_t meshes, ModelSummary& summary)
{
    summary.skins = meshes ? 1 : 0;
    summary.columns.push_back(std::to_string(meshes) + " meshes");
    summary.columns.push_back(std::to_string(skeleton.joints.size()) + " joints");
    summary.columns.push_back(std::to_string(skeleton.animations.size()) + " animations " + AnimationNames(skeleton));
}
