// An IQM model: its joints, animations and meshes, its load and its drawn form.
#include "model/iqm_model.h"

#include "model/skeletal_load.h"

namespace {

std::vector<DrawnPart> Named(std::vector<DrawnPart> parts, const IqmFile& file)
{
    for (size_t m = 0; m < parts.size(); ++m)
        parts[m].material = file.meshes[m].material.empty() ? file.meshes[m].name : file.meshes[m].material;
    return parts;
}

}  // namespace

Skeleton IqmSkeleton(const IqmFile& file)
{
    Skeleton skeleton;
    for (const IqmJoint& j : file.joints) {
        Joint joint;
        joint.name = j.name;
        joint.parent = j.parent;
        std::copy(j.translate, j.translate + 3, joint.bind.translate);
        std::copy(j.rotate, j.rotate + 4, joint.bind.rotate);
        NormalizeQuaternion(joint.bind.rotate);
        std::copy(j.scale, j.scale + 3, joint.bind.scale);
        skeleton.joints.push_back(joint);
    }
    if (skeleton.joints.empty())
        skeleton.joints.push_back(Joint{"root", -1, JointPose()});
    FinishSkeleton(skeleton);
    AddIqmAnimations(skeleton, file, "", 0);
    return skeleton;
}

bool AddIqmAnimations(Skeleton& skeleton, const IqmFile& file, const std::string& name, float fps)
{
    if (file.frameCount == 0 || file.poses.empty())
        return false;
    std::vector<std::string> names;
    if (!file.joints.empty() && file.joints.size() == file.poses.size())
        for (const IqmJoint& joint : file.joints)
            names.push_back(joint.name);
    std::vector<int> to = MatchJoints(skeleton, names, file.poses.size());
    if (to.empty())
        return false;
    std::vector<IqmAnimation> animations = file.animations;
    if (animations.empty())
        animations.push_back({"frames", 0, file.frameCount, 0, false});
    if (!name.empty())
        animations.resize(1), animations[0].name = name;  // a configuration names the file's first
    for (const IqmAnimation& animation : animations) {
        for (uint32_t f = animation.firstFrame; f < animation.firstFrame + animation.frameCount; ++f) {
            std::vector<JointPose> poses(skeleton.joints.size());
            for (size_t j = 0; j < skeleton.joints.size(); ++j)
                poses[j] = skeleton.joints[j].bind;
            for (size_t p = 0; p < to.size(); ++p)
                poses[to[p]] = PoseOfChannels(&file.frames[(size_t(f) * file.poses.size() + p) * 10]);
            skeleton.frames.insert(skeleton.frames.end(), poses.begin(), poses.end());
        }
        AppendAnimation(skeleton, animation.name, static_cast<int>(animation.frameCount),
                        fps > 0 ? fps : animation.framerate, animation.loop);
    }
    return true;
}

std::vector<DrawnPart> IqmParts(const IqmFile& file, const std::shared_ptr<const Skeleton>& skeleton,
                                Reports& reports)
{
    std::vector<DrawnPart> parts;
    bool fixed = false;
    int joints = static_cast<int>(skeleton->joints.size());
    for (size_t m = 0; m < file.meshes.size(); ++m) {
        const IqmMesh& mesh = file.meshes[m];
        SkinnedVertices skinned;
        skinned.count = static_cast<int32_t>(mesh.vertexCount);
        size_t first = mesh.firstVertex, end = first + mesh.vertexCount;
        skinned.positions.assign(file.positions.begin() + 3 * first, file.positions.begin() + 3 * end);
        if (!file.normals.empty())
            skinned.normals.assign(file.normals.begin() + 3 * first, file.normals.begin() + 3 * end);
        for (size_t v = first; v < end; ++v) {
            std::vector<std::pair<float, int>> weights;
            for (int k = 0; k < 4 && !file.blendWeights.empty(); ++k)
                if (file.blendWeights[4 * v + k] > 0)
                    weights.push_back({file.blendWeights[4 * v + k], file.blendIndexes[4 * v + k]});
            PutWeights(file.blendWeights.empty() ? std::vector<std::pair<float, int>>{{1.0f, 0}} : weights, joints,
                       skinned, fixed);
        }
        std::vector<uint32_t> indices;
        for (uint64_t i = 3 * uint64_t(mesh.firstTriangle); i < 3 * (uint64_t(mesh.firstTriangle) + mesh.triangleCount); ++i)
            indices.push_back(file.triangles[i] - mesh.firstVertex);
        std::vector<float> st(file.texCoords.begin() + 2 * first, file.texCoords.begin() + 2 * end);
        parts.push_back(PartOf(mesh.name, static_cast<int>(m), std::move(st), std::move(indices), std::move(skinned),
                               !file.normals.empty(), skeleton));
    }
    if (fixed)
        AddReport(reports, "InitIqmObject: some vertices' weights do not sum to one; they are made to");
    return parts;
}

namespace {

std::vector<DrawnPart> IqmNamedParts(const IqmFile& file, const std::shared_ptr<const Skeleton>& skeleton,
                                     Reports& reports)
{
    return Named(IqmParts(file, skeleton, reports), file);
}

void SummariseAnimations(const IqmFile& file, ModelSummary& summary)
{
    std::string names;
    for (const IqmAnimation& animation : file.animations)
        names += (names.empty() ? "" : ",") + animation.name;
    summary.frames = static_cast<int32_t>(file.frameCount);
    summary.columns.push_back("animations only: " + std::to_string(file.poses.size()) + " joints, " +
                              std::to_string(file.animations.size()) + " animations " + names);
}

std::unique_ptr<ModelObject> InitIqmObject(const char* path, std::vector<uint8_t> bytes)
{
    Reports reports;
    std::unique_ptr<IqmFile> file = ReadIqm(bytes, reports);
    ReportAll(reports);
    if (!file)
        return nullptr;
    CubeModelConfig config = ReadCubeModelConfig(path, "iqm");
    Skeleton skeleton = IqmSkeleton(*file);
    AddAnimations(skeleton, path, config, "InitIqmObject");
    const IqmFile& record = *file;
    return FinishSkeletal(
        path, std::shared_ptr<IqmFile>(std::move(file)), std::move(skeleton),
        [&record](const std::shared_ptr<const Skeleton>& shared, Reports& said) { return IqmNamedParts(record, shared, said); },
        config, "InitIqmObject", "DrawIQMFrame()");
}

std::unique_ptr<IqmFile> ReadIqmBytes(const std::vector<uint8_t>& bytes, Reports& reports)
{
    return ReadIqm(bytes, reports);
}

bool AddIqmAnimationFile(Skeleton& skeleton, const std::string& path, const std::string& name, float fps,
                         bool animationsOnly)
{
    std::shared_ptr<const IqmFile> file = CachedRecord<IqmFile>(path, ReadIqmBytes);
    return file && (!animationsOnly || file->meshes.empty()) && AddIqmAnimations(skeleton, *file, name, fps);
}

}  // namespace

DrawnModel ConvertRecord(const IqmFile& file)
{
    Skeleton skeleton = IqmSkeleton(file);
    auto shared = std::make_shared<const Skeleton>(std::move(skeleton));
    Reports quiet;
    return SkeletalDrawn(IqmNamedParts(file, shared, quiet), shared, "InitIqmObject", "DrawIQMFrame()");
}

namespace {

bool DescribeIqm(const std::string& path, const std::vector<uint8_t>& bytes, ModelSummary& summary,
                 Reports& reports)
{
    std::unique_ptr<IqmFile> file = ReadIqm(bytes, reports);
    if (!file)
        return false;
    if (file->meshes.empty()) {
        SummariseAnimations(*file, summary);
        return true;
    }
    Skeleton skeleton = IqmSkeleton(*file);
    AddAnimations(skeleton, path, ReadCubeModelConfig(path, "iqm"), "ListModels");
    FinishSkeleton(skeleton);
    auto shared = std::make_shared<const Skeleton>(skeleton);
    SummariseDrawn(SkeletalDrawn(IqmNamedParts(*file, shared, reports), shared, "", ""), summary);
    SummariseSkeletal(skeleton, file->meshes.size(), summary);
    return true;
}

}  // namespace

extern const ModelFormat kIqmFormat = {
    "iqm", {"iqm"}, "INTERQUAKEMODEL", "Inter-Quake Models", "Skeletal Models", "Inter-Quake model", "model/x-iqm",
    false, false, "ReadIqm", "InitIqmObject", InitIqmObject, DescribeIqm, "iqm", AddIqmAnimationFile, nullptr, nullptr, nullptr};
