#include "model/skeletons.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "geometry/normals.h"

namespace {

void QuaternionMultiply(const float a[4], const float b[4], float out[4])
{
    const float r[4] = {a[3] * b[0] + a[0] * b[3] + a[1] * b[2] - a[2] * b[1],
                        a[3] * b[1] - a[0] * b[2] + a[1] * b[3] + a[2] * b[0],
                        a[3] * b[2] + a[0] * b[1] - a[1] * b[0] + a[2] * b[3],
                        a[3] * b[3] - a[0] * b[0] - a[1] * b[1] - a[2] * b[2]};
    std::copy(r, r + 4, out);
}

void Rotate(const float q[4], const float v[3], float out[3])
{
    const float p[4] = {v[0], v[1], v[2], 0}, conjugate[4] = {-q[0], -q[1], -q[2], q[3]};
    float t[4], r[4];
    QuaternionMultiply(q, p, t);
    QuaternionMultiply(t, conjugate, r);
    std::copy(r, r + 3, out);
}

int JointNamed(const Skeleton& skeleton, const std::string& name)
{
    for (size_t j = 0; j < skeleton.joints.size(); ++j)
        if (skeleton.joints[j].name == name)
            return static_cast<int>(j);
    return -1;
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

Skeleton Md5Skeleton(const Md5MeshFile& file)
{
    Skeleton skeleton;
    for (const Md5Joint& j : file.joints) {
        Joint joint;
        joint.name = j.name;
        joint.parent = j.parent;
        float orient[4];
        std::copy(j.orient, j.orient + 4, orient);
        NormalizeQuaternion(orient);
        if (j.parent < 0) {
            std::copy(j.position, j.position + 3, joint.bind.translate);
            std::copy(orient, orient + 4, joint.bind.rotate);
        } else {
            // The file's joints are in the model's axes: made relative to their parents.
            const Md5Joint& p = file.joints[j.parent];
            float parent[4], inverse[4], offset[3];
            std::copy(p.orient, p.orient + 4, parent);
            NormalizeQuaternion(parent);
            const float conjugate[4] = {-parent[0], -parent[1], -parent[2], parent[3]};
            std::copy(conjugate, conjugate + 4, inverse);
            for (int a = 0; a < 3; ++a)
                offset[a] = j.position[a] - p.position[a];
            Rotate(inverse, offset, joint.bind.translate);
            QuaternionMultiply(inverse, orient, joint.bind.rotate);
            NormalizeQuaternion(joint.bind.rotate);
        }
        skeleton.joints.push_back(joint);
    }
    if (skeleton.joints.empty())
        skeleton.joints.push_back(Joint{"root", -1, JointPose()});
    FinishSkeleton(skeleton);
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

bool AddMd5Animation(Skeleton& skeleton, const Md5AnimFile& file, const std::string& name, float fps)
{
    std::vector<std::string> names;
    for (const Md5AnimJoint& joint : file.hierarchy)
        names.push_back(joint.name);
    std::vector<int> to = MatchJoints(skeleton, names, names.size());
    if (to.empty() || file.frameCount == 0)
        return false;
    for (uint32_t f = 0; f < file.frameCount; ++f) {
        std::vector<JointPose> poses(skeleton.joints.size());
        const float* components = &file.frames[size_t(f) * file.componentCount];
        for (size_t j = 0; j < file.hierarchy.size(); ++j) {
            const Md5AnimJoint& joint = file.hierarchy[j];
            float values[6];
            std::copy(&file.baseFrame[6 * j], &file.baseFrame[6 * j] + 6, values);
            for (int c = 0, used = 0; c < 6; ++c)
                if ((joint.flags >> c) & 1)
                    values[c] = components[joint.startIndex + used++];
            JointPose& pose = poses[to[j]];
            std::copy(values, values + 3, pose.translate);
            Md5Orientation(values + 3, pose.rotate);
            NormalizeQuaternion(pose.rotate);
        }
        skeleton.frames.insert(skeleton.frames.end(), poses.begin(), poses.end());
    }
    AppendAnimation(skeleton, name, static_cast<int>(file.frameCount), fps > 0 ? fps : float(file.frameRate), true);
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

std::vector<DrawnPart> Md5Parts(const Md5MeshFile& file, const std::shared_ptr<const Skeleton>& skeleton,
                                Reports& reports)
{
    std::vector<JointPose> bind;
    for (const Joint& joint : skeleton->joints)
        bind.push_back(joint.bind);
    std::vector<Matrix34> whole = JointMatrices(skeleton->joints, bind.data());
    std::vector<DrawnPart> parts;
    bool fixed = false;
    for (size_t m = 0; m < file.meshes.size(); ++m) {
        const Md5Mesh& mesh = file.meshes[m];
        SkinnedVertices skinned;
        skinned.count = static_cast<int32_t>(mesh.vertices.size());
        std::vector<float> st;
        for (const Md5Vertex& vertex : mesh.vertices) {
            float p[3] = {0, 0, 0};
            std::vector<std::pair<float, int>> weights;
            for (uint32_t w = vertex.firstWeight; w < vertex.firstWeight + vertex.weightCount; ++w) {
                const Md5Weight& weight = mesh.weights[w];
                float moved[3];
                TransformPoint(whole[weight.joint], weight.position, moved);
                for (int a = 0; a < 3; ++a)
                    p[a] += weight.bias * moved[a];
                weights.push_back({weight.bias, static_cast<int>(weight.joint)});
            }
            skinned.positions.insert(skinned.positions.end(), p, p + 3);
            PutWeights(weights, static_cast<int>(whole.size()), skinned, fixed);
            st.insert(st.end(), vertex.st, vertex.st + 2);
        }
        parts.push_back(PartOf(mesh.name.empty() ? mesh.shader : mesh.name, static_cast<int>(m), std::move(st),
                               mesh.triangles, std::move(skinned), false, skeleton));
    }
    if (fixed)
        AddReport(reports, "InitMd5Object: some vertices' weights do not sum to one; they are made to");
    return parts;
}

std::vector<std::string> SkeletalFrameNames(const Skeleton& skeleton)
{
    std::vector<std::string> names(std::max(1, skeleton.frameCount), "bind");
    for (const SkeletalAnimation& animation : skeleton.animations) {
        for (int k = 0; k < animation.count; ++k) {
            std::string number = std::to_string(k + 1);
            names[animation.first + k] = animation.name.substr(0, 16 - number.size()) + number;
        }
    }
    return names;
}

DrawnModel SkeletalDrawn(std::vector<DrawnPart> parts, std::shared_ptr<const Skeleton> skeleton, const char* loader,
                         const char* draw)
{
    DrawnModel drawn;
    drawn.parts = std::move(parts);
    drawn.frameCount = std::max(1, skeleton->frameCount);
    drawn.skeleton = std::move(skeleton);
    drawn.loaderName = loader;
    drawn.drawName = draw;
    return drawn;
}
