// A Zymotic model: its bones, scenes and meshes, its load and its drawn form.
#include "model/zym_model.h"

#include <algorithm>
#include <map>

#include "model/darkplaces_files.h"
#include "model/skeletal_load.h"

namespace {

JointPose PoseOf(const ZymFile& file, size_t pose, size_t bone)
{
    Matrix34 m;
    const float* from = &file.poses[12 * (pose * file.bones.size() + bone)];
    std::copy(from, from + 12, m.m);
    return PoseOfMatrix(m);
}

}  // namespace

Skeleton ZymSkeleton(const ZymFile& file, const std::vector<FrameGroupRun>& groups)
{
    Skeleton skeleton;
    for (size_t b = 0; b < file.bones.size(); ++b)
        skeleton.joints.push_back({file.bones[b].name, file.bones[b].parent, PoseOf(file, 0, b)});
    FinishSkeleton(skeleton);
    AddGroupAnimations(skeleton, groups, file.poseCount, [&](size_t pose) {
        for (size_t b = 0; b < file.bones.size(); ++b)
            skeleton.frames.push_back(PoseOf(file, pose, b));
    });
    if (!skeleton.animations.empty())
        return skeleton;
    for (const ZymScene& scene : file.scenes) {
        for (uint32_t p = scene.first; p < scene.first + scene.count; ++p)
            for (size_t b = 0; b < file.bones.size(); ++b)
                skeleton.frames.push_back(PoseOf(file, p, b));
        AppendAnimation(skeleton, scene.name, static_cast<int>(scene.count), scene.fps, scene.loop);
    }
    return skeleton;
}

std::vector<DrawnPart> ZymParts(const ZymFile& file, const std::shared_ptr<const Skeleton>& skeleton)
{
    // Each vertex on its bone in the first pose.
    std::vector<JointPose> first(skeleton->joints.size());
    for (size_t j = 0; j < first.size(); ++j)
        first[j] = skeleton->joints[j].bind;
    std::vector<Matrix34> bones = JointMatrices(skeleton->joints, first.data());
    std::vector<DrawnPart> parts;
    bool fixed = false;
    for (size_t s = 0; s < file.shaders.size(); ++s) {
        SkinnedVertices skinned;
        std::map<uint32_t, uint32_t> local;  // the file's vertex to the part's
        std::vector<float> st;
        std::vector<uint32_t> indices;
        const std::vector<uint32_t>& triangles = file.triangles[s];
        for (size_t t = 0; t + 2 < triangles.size(); t += 3)
            for (int k = 0; k < 3; ++k) {
                uint32_t v = triangles[t + k];
                auto [found, added] = local.emplace(v, static_cast<uint32_t>(local.size()));
                if (added) {
                    float at[3];
                    TransformPoint(bones[file.vertexBones[v]], &file.origins[3 * v], at);
                    skinned.positions.insert(skinned.positions.end(), at, at + 3);
                    st.insert(st.end(), {file.texCoords[2 * v], 1 - file.texCoords[2 * v + 1]});
                    PutWeights({{1.0f, static_cast<int>(file.vertexBones[v])}},
                               static_cast<int>(skeleton->joints.size()), skinned, fixed);
                }
                indices.push_back(found->second);
            }
        skinned.count = static_cast<int32_t>(local.size());
        parts.push_back(PartOf(file.shaders[s], static_cast<int>(s), std::move(st), std::move(indices),
                               std::move(skinned), false, skeleton));
        parts.back().material = file.shaders[s];
    }
    return parts;
}

namespace {

std::unique_ptr<ModelObject> InitZymObject(const char* path, std::vector<uint8_t> bytes)
{
    Reports reports;
    std::unique_ptr<ZymFile> file = ReadZym(bytes, reports);
    ReportAll(reports);
    if (!file)
        return nullptr;
    CubeModelConfig config = ReadCubeModelConfig(path, "zym");
    Skeleton skeleton = ZymSkeleton(*file, FrameGroupsBeside(path));
    const ZymFile& record = *file;
    return FinishSkeletal(
        path, std::shared_ptr<ZymFile>(std::move(file)), std::move(skeleton),
        [&record](const std::shared_ptr<const Skeleton>& shared, Reports&) { return ZymParts(record, shared); },
        config, "InitZymObject", "DrawZYMFrame()");
}

bool DescribeZym(const std::string& path, const std::vector<uint8_t>& bytes, ModelSummary& summary, Reports& reports)
{
    std::unique_ptr<ZymFile> file = ReadZym(bytes, reports);
    if (!file)
        return false;
    Skeleton skeleton = ZymSkeleton(*file, FrameGroupsBeside(path));
    auto shared = std::make_shared<const Skeleton>(skeleton);
    SummariseDrawn(SkeletalDrawn(ZymParts(*file, shared), shared, "", ""), summary);
    SummariseSkeletal(skeleton, file->shaders.size(), summary);
    summary.skins = std::max<int32_t>(summary.skins, static_cast<int32_t>(NumberedSkins(path).size()));
    return true;
}

}  // namespace

extern const ModelFormat kZymFormat = {
    "zym", {"zym"}, "ZYMOTICMODEL", "Zymotic Models", "Skeletal Models", "Zymotic model", "model/x-zym",
    false, false, "ReadZym", "InitZymObject", InitZymObject, DescribeZym, nullptr, nullptr, nullptr, nullptr, nullptr};
