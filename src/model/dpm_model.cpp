// A DarkPlaces model: its bones, frames and meshes, its load and its drawn form.
#include "model/dpm_model.h"

#include <algorithm>
#include <cmath>

#include "model/darkplaces_files.h"
#include "model/skeletal_load.h"

namespace {

Matrix34 PoseOf(const DpmFrame& frame, size_t bone)
{
    Matrix34 m;
    std::copy(&frame.poses[12 * bone], &frame.poses[12 * bone] + 12, m.m);
    return m;
}

// A run of frames whose names differ only in their numbers is one animation.
std::string Stem(const std::string& name)
{
    std::string stem = name.substr(0, name.find_last_not_of("0123456789") + 1);
    while (!stem.empty() && (stem.back() == '_' || stem.back() == ' '))
        stem.pop_back();
    return stem.empty() ? "frames" : stem;
}

void AddFrames(Skeleton& skeleton, const DpmFile& file)
{
    for (size_t f = 0; f < file.frames.size();) {
        size_t end = f + 1;
        while (end < file.frames.size() && Stem(file.frames[end].name) == Stem(file.frames[f].name))
            ++end;
        for (size_t k = f; k < end; ++k)
            for (size_t b = 0; b < file.bones.size(); ++b)
                skeleton.frames.push_back(PoseOfMatrix(PoseOf(file.frames[k], b)));
        AppendAnimation(skeleton, Stem(file.frames[f].name), static_cast<int>(end - f), 0, true);
        f = end;
    }
}

}  // namespace

Skeleton DpmSkeleton(const DpmFile& file, const std::vector<FrameGroupRun>& groups)
{
    Skeleton skeleton;
    for (size_t b = 0; b < file.bones.size(); ++b)
        skeleton.joints.push_back({file.bones[b].name, file.bones[b].parent, PoseOfMatrix(PoseOf(file.frames[0], b))});
    FinishSkeleton(skeleton);
    AddGroupAnimations(skeleton, groups, file.frames.size(), [&](size_t frame) {
        for (size_t b = 0; b < file.bones.size(); ++b)
            skeleton.frames.push_back(PoseOfMatrix(PoseOf(file.frames[frame], b)));
    });
    if (skeleton.animations.empty())
        AddFrames(skeleton, file);
    return skeleton;
}

std::vector<DrawnPart> DpmParts(const DpmFile& file, const std::shared_ptr<const Skeleton>& skeleton,
                                Reports& reports)
{
    // The meshes' vertices in the first frame's pose: each influence's
    // bone-space place moved by its bone, its weight already in it.
    std::vector<JointPose> first(skeleton->joints.size());
    for (size_t j = 0; j < first.size(); ++j)
        first[j] = skeleton->joints[j].bind;
    std::vector<Matrix34> bones = JointMatrices(skeleton->joints, first.data());
    std::vector<DrawnPart> parts;
    bool fixed = false;
    int joints = static_cast<int>(skeleton->joints.size());
    for (size_t m = 0; m < file.meshes.size(); ++m) {
        const DpmMesh& mesh = file.meshes[m];
        SkinnedVertices skinned;
        skinned.count = static_cast<int32_t>(mesh.firstInfluence.size() - 1);
        for (int32_t v = 0; v < skinned.count; ++v) {
            float position[3] = {0, 0, 0}, normal[3] = {0, 0, 0};
            std::vector<std::pair<float, int>> weights;
            for (uint32_t k = mesh.firstInfluence[v]; k < mesh.firstInfluence[v + 1]; ++k) {
                const DpmInfluence& i = mesh.influences[k];
                const Matrix34& b = bones[i.bone];
                for (int a = 0; a < 3; ++a) {
                    const float* row = &b.m[4 * a];
                    position[a] += row[0] * i.origin[0] + row[1] * i.origin[1] + row[2] * i.origin[2] +
                                   row[3] * i.influence;
                    normal[a] += row[0] * i.normal[0] + row[1] * i.normal[1] + row[2] * i.normal[2];
                }
                if (i.influence > 0)  // Nexuiz's spiderbot names bones it gives no weight
                    weights.push_back({i.influence, static_cast<int>(i.bone)});
            }
            skinned.positions.insert(skinned.positions.end(), position, position + 3);
            float length = std::sqrt(normal[0] * normal[0] + normal[1] * normal[1] + normal[2] * normal[2]);
            for (float& n : normal)
                n = length > 0 ? n / length : 0.0f;
            skinned.normals.insert(skinned.normals.end(), normal, normal + 3);
            PutWeights(weights, joints, skinned, fixed);
        }
        parts.push_back(PartOf(mesh.shader, static_cast<int>(m), mesh.texCoords, mesh.triangles, std::move(skinned),
                               true, skeleton));
        parts.back().material = mesh.shader;
    }
    if (fixed)
        AddReport(reports, "InitDpmObject: some vertices' influences do not sum to one; they are made to");
    return parts;
}

namespace {

std::unique_ptr<ModelObject> InitDpmObject(const char* path, std::vector<uint8_t> bytes)
{
    Reports reports;
    std::unique_ptr<DpmFile> file = ReadDpm(bytes, reports);
    ReportAll(reports);
    if (!file)
        return nullptr;
    CubeModelConfig config = ReadCubeModelConfig(path, "dpm");
    Skeleton skeleton = DpmSkeleton(*file, FrameGroupsBeside(path));
    const DpmFile& record = *file;
    return FinishSkeletal(
        path, std::shared_ptr<DpmFile>(std::move(file)), std::move(skeleton),
        [&record](const std::shared_ptr<const Skeleton>& shared, Reports& said) { return DpmParts(record, shared, said); },
        config, "InitDpmObject", "DrawDPMFrame()");
}

bool DescribeDpm(const std::string& path, const std::vector<uint8_t>& bytes, ModelSummary& summary, Reports& reports)
{
    std::unique_ptr<DpmFile> file = ReadDpm(bytes, reports);
    if (!file)
        return false;
    Skeleton skeleton = DpmSkeleton(*file, FrameGroupsBeside(path));
    auto shared = std::make_shared<const Skeleton>(skeleton);
    SummariseDrawn(SkeletalDrawn(DpmParts(*file, shared, reports), shared, "", ""), summary);
    SummariseSkeletal(skeleton, file->meshes.size(), summary);
    summary.skins = std::max<int32_t>(summary.skins, static_cast<int32_t>(NumberedSkins(path).size()));
    return true;
}

}  // namespace

extern const ModelFormat kDpmFormat = {
    "dpm", {"dpm"}, "DARKPLACESMODEL", "DarkPlaces Models", "Skeletal Models", "DarkPlaces model", "model/x-dpm",
    false, false, "ReadDpm", "InitDpmObject", InitDpmObject, DescribeDpm, nullptr, nullptr, nullptr, nullptr, nullptr};
