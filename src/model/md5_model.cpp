// An MD5 model: its joints, the animations of .md5anim files, its meshes
// of weighted points, its load and its drawn form.
#include "model/md5_model.h"

#include "model/skeletal_load.h"

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
            RotateByQuaternion(inverse, offset, joint.bind.translate);
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

namespace {

std::vector<DrawnPart> Md5NamedParts(const Md5MeshFile& file, const std::shared_ptr<const Skeleton>& skeleton,
                                     Reports& reports)
{
    std::vector<DrawnPart> parts = Md5Parts(file, skeleton, reports);
    for (size_t m = 0; m < parts.size(); ++m)
        parts[m].material = file.meshes[m].shader.empty() ? parts[m].name : file.meshes[m].shader;
    return parts;
}

std::unique_ptr<ModelObject> InitMd5Object(const char* path, std::vector<uint8_t> bytes)
{
    Reports reports;
    std::unique_ptr<Md5MeshFile> file = ReadMd5Mesh(std::string(bytes.begin(), bytes.end()), reports);
    ReportAll(reports);
    if (!file)
        return nullptr;
    CubeModelConfig config = ReadCubeModelConfig(path, "md5");
    Skeleton skeleton = Md5Skeleton(*file);
    AddAnimations(skeleton, path, config, "InitMd5Object");
    const Md5MeshFile& record = *file;
    return FinishSkeletal(
        path, std::shared_ptr<Md5MeshFile>(std::move(file)), std::move(skeleton),
        [&record](const std::shared_ptr<const Skeleton>& shared, Reports& said) { return Md5NamedParts(record, shared, said); },
        config, "InitMd5Object", "DrawMD5Frame()");
}

std::unique_ptr<Md5AnimFile> ReadMd5AnimBytes(const std::vector<uint8_t>& bytes, Reports& reports)
{
    return ReadMd5Anim(std::string(bytes.begin(), bytes.end()), reports);
}

std::string Stem(const std::string& path)
{
    std::string name = FileNameOf(path);
    return name.substr(0, name.rfind('.'));
}

bool AddMd5AnimationFile(Skeleton& skeleton, const std::string& path, const std::string& name, float fps, bool)
{
    std::shared_ptr<const Md5AnimFile> file = CachedRecord<Md5AnimFile>(path, ReadMd5AnimBytes);
    return file && AddMd5Animation(skeleton, *file, name.empty() ? Stem(path) : name, fps);
}

}  // namespace

DrawnModel ConvertRecord(const Md5MeshFile& file)
{
    auto shared = std::make_shared<const Skeleton>(Md5Skeleton(file));
    Reports quiet;
    return SkeletalDrawn(Md5Parts(file, shared, quiet), shared, "InitMd5Object", "DrawMD5Frame()");
}

namespace {

bool DescribeMd5(const std::string& path, const std::vector<uint8_t>& bytes, ModelSummary& summary,
                 Reports& reports)
{
    std::unique_ptr<Md5MeshFile> file = ReadMd5Mesh(std::string(bytes.begin(), bytes.end()), reports);
    if (!file)
        return false;
    Skeleton skeleton = Md5Skeleton(*file);
    AddAnimations(skeleton, path, ReadCubeModelConfig(path, "md5"), "ListModels");
    auto shared = std::make_shared<const Skeleton>(skeleton);
    SummariseDrawn(SkeletalDrawn(Md5Parts(*file, shared, reports), shared, "", ""), summary);
    SummariseSkeletal(skeleton, file->meshes.size(), summary);
    return true;
}

}  // namespace

extern const ModelFormat kMd5Format = {
    "md5mesh", {"md5mesh"}, "MD5Version", "MD5 Models", "Skeletal Models", "MD5 model mesh", "model/x-md5mesh",
    true, false, "ReadMd5Mesh", "InitMd5Object", InitMd5Object, DescribeMd5, "md5anim", AddMd5AnimationFile, nullptr, nullptr, nullptr};
