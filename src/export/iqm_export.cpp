// A skeletal model as an IQM: its joints and bind pose, its animations as
// poses frame by frame, each part a mesh (split under ioquake3's limits)
// in the bind pose with its joints and weights.
#include <algorithm>
#include <cmath>

#include "export/game_looks.h"
#include "export/export_model.h"
#include "export/surface_split.h"
#include "formats/iqm.h"
#include "geometry/pose.h"
#include "platform/names.h"

namespace {

constexpr size_t kIoquake3Joints = 128;
constexpr size_t kIoquake3Bytes = size_t(16) << 20;

void AddJoints(const Skeleton& skeleton, float scale, IqmFile& file)
{
    for (const Joint& joint : skeleton.joints) {
        IqmJoint out{joint.name, joint.parent, {}, {}, {}};
        for (int a = 0; a < 3; ++a)
            out.translate[a] = joint.bind.translate[a] * scale, out.scale[a] = joint.bind.scale[a];
        std::copy(joint.bind.rotate, joint.bind.rotate + 4, out.rotate);
        file.joints.push_back(out);
        file.poses.push_back({joint.parent, 0, {}, {}});
    }
    file.frameCount = static_cast<uint32_t>(skeleton.frameCount);
    for (const JointPose& pose : skeleton.frames) {
        for (int a = 0; a < 3; ++a)
            file.frames.push_back(pose.translate[a] * scale);
        file.frames.insert(file.frames.end(), pose.rotate, pose.rotate + 4);
        file.frames.insert(file.frames.end(), pose.scale, pose.scale + 3);
    }
    for (const SkeletalAnimation& animation : skeleton.animations)
        file.animations.push_back({animation.name, static_cast<uint32_t>(animation.first),
                                   static_cast<uint32_t>(animation.count), animation.fps, animation.loop});
    if (file.frameCount == 0)
        file.poses.clear();
}

// A part's pieces as meshes, their vertices appended to the file's arrays.
bool AddMeshes(const DrawnPart& part, size_t index, float scale, const std::string& material, IqmFile& file,
               size_t& split, std::string& error)
{
    const FrameLayout& layout = *part.triangles;
    std::vector<uint32_t> wound = layout.indices;  // IQM's front faces wind the other way from the viewer's
    for (size_t i = 0; i + 2 < wound.size(); i += 3)
        std::swap(wound[i + 1], wound[i + 2]);
    std::vector<SurfacePiece> pieces = SplitSurface(wound, layout.frameVertex.size());
    split += pieces.size() > 1;
    std::string name = part.name.empty() ? "mesh" + std::to_string(index + 1) : part.name;
    const SkinnedVertices& skinned = part.skinned;
    for (size_t k = 0; k < pieces.size(); ++k) {
        IqmMesh mesh{k ? name + "_" + std::to_string(k + 1) : name, material, file.vertexCount,
                     static_cast<uint32_t>(pieces[k].vertices.size()), static_cast<uint32_t>(file.triangles.size() / 3),
                     static_cast<uint32_t>(pieces[k].triangles.size() / 3)};
        for (uint32_t v : pieces[k].vertices) {
            uint32_t at = layout.frameVertex[v];
            for (int a = 0; a < 3; ++a) {
                file.positions.push_back(skinned.positions[3 * at + a] * scale);
                file.normals.push_back(skinned.normals[3 * at + a]);
            }
            file.texCoords.push_back(layout.texCoords[2 * v]);
            file.texCoords.push_back(layout.texCoords[2 * v + 1]);
            for (int w = 0; w < 4; ++w) {
                uint16_t joint = skinned.joints[4 * at + w];
                if (joint > 255) {
                    error = "a vertex is weighted to joint " + std::to_string(joint) +
                            "; IQM's blend indexes end at 255";
                    return false;
                }
                file.blendIndexes.push_back(static_cast<uint8_t>(joint));
                file.blendWeights.push_back(skinned.weights[4 * at + w]);
            }
        }
        for (uint32_t corner : pieces[k].triangles)
            file.triangles.push_back(mesh.firstVertex + corner);
        file.vertexCount += mesh.vertexCount;
        file.meshes.push_back(mesh);
    }
    return true;
}

// Every frame's bounds, as the engines cull and trace by them.
void AddBounds(const DrawnModel& drawn, float scale, IqmFile& file)
{
    std::vector<float> positions, normals;
    for (int frame = 0; frame < static_cast<int>(file.frameCount); ++frame) {
        float low[3] = {0, 0, 0}, high[3] = {0, 0, 0}, xy = 0, radius = 0;
        bool first = true;
        for (const DrawnPart& part : drawn.parts) {
            PoseFrame(part, frame, false, positions, normals);
            for (size_t v = 0; v + 2 < positions.size(); v += 3) {
                const float p[3] = {positions[v] * scale, positions[v + 1] * scale, positions[v + 2] * scale};
                for (int a = 0; a < 3; ++a)
                    low[a] = first ? p[a] : std::min(low[a], p[a]), high[a] = first ? p[a] : std::max(high[a], p[a]);
                first = false;
                xy = std::max(xy, p[0] * p[0] + p[1] * p[1]);
                radius = std::max(radius, p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
            }
        }
        file.bounds.insert(file.bounds.end(), {low[0], low[1], low[2], high[0], high[1], high[2]});
        file.bounds.push_back(std::sqrt(xy));
        file.bounds.push_back(std::sqrt(radius));
    }
}

bool MakeIqm(const ModelObject& model, float scale, const std::vector<std::string>& shaders, IqmFile& file,
             std::vector<std::string>& notes, std::string& error)
{
    const DrawnModel& drawn = *model.drawn;
    if (!drawn.skeleton) {
        error = "IQM carries joints, not vertex frames, and the model is animated by its vertices: write it as .md3";
        return false;
    }
    AddJoints(*drawn.skeleton, scale, file);
    size_t split = 0;
    for (size_t p = 0; p < drawn.parts.size(); ++p)
        if (!drawn.parts[p].corners.empty() &&
            !AddMeshes(drawn.parts[p], p, scale, p < shaders.size() ? shaders[p] : "", file, split, error))
            return false;
    AddBounds(drawn, scale, file);
    QuantizeIqmFrames(file);
    if (split)
        notes.push_back(std::to_string(split) + " meshes split into pieces of under 1000 vertices and 2000 "
                        "triangles, as ioquake3 takes them");
    return true;
}

}  // namespace

bool WriteIqmModel(const ModelObject& model, const ExportRequest& request, std::string& error)
{
    std::vector<std::string> notes;
    GameLooks looks;
    std::string folder = FolderOf(request.output), stem = StemOf(request.output);
    IqmFile file;
    if (!model.drawn->skeleton) {
        error = "IQM carries joints, not vertex frames, and the model is animated by its vertices: write it as .md3";
        return false;
    }
    if (!MakeGameLooks(model, folder, stem, "", looks, notes, error))
        return false;
    int shown = std::max(0, std::min(request.skin, static_cast<int>(looks.shaders.size()) - 1));
    if (!MakeIqm(model, GameScale(request), looks.shaders[shown], file, notes, error))
        return false;
    std::vector<uint8_t> bytes = WriteIqm(file);
    if (!WriteGameFiles({{request.output, &bytes}}, looks.pictures, error))
        return false;
    std::string refusals;
    if (file.joints.size() > kIoquake3Joints)
        refusals += "; ioquake3 refuses it for its " + std::to_string(file.joints.size()) + " joints (it takes 128)";
    if (bytes.size() > kIoquake3Bytes)
        refusals += "; ioquake3 refuses it for its size (it takes 16 MiB)";
    notes.push_back(refusals.empty() ? "within the limits of ioquake3 and DarkPlaces"
                                     : "within the limits of DarkPlaces" + refusals);
    if (request.summary)
        request.summary->notes = notes, request.summary->frames = static_cast<int>(file.frameCount);
    return true;
}
