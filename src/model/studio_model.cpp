// A Half-Life studio model: its bones at rest with their controllers, its
// sequences, the sub-model of each body part the body number picks, its
// textures in their own palettes and flags, its load and drawn form.
#include "model/studio_model.h"

#include <strings.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <cmath>
#include <map>
#include <tuple>

#include "archive/game_files.h"
#include "looks/skins.h"
#include "looks/surface_looks.h"
#include "model/skeletal_load.h"
#include "platform/paths.h"

namespace {

constexpr uint32_t kControllerLoops = 0x8000, kControllerTurns = 0x08 | 0x10 | 0x20;

// What a controller adds to its channel at its rest setting, as GoldSrc
// works it out: turns in radians.
float RestAdjustment(const StudioController& c)
{
    float value;
    if (c.type & kControllerLoops) {
        value = c.rest * (360.0f / 256.0f) + c.start;
    } else {
        float f = std::clamp(c.rest / 255.0f, 0.0f, 1.0f);
        value = (1 - f) * c.start + f * c.end;
    }
    return (c.type & kControllerTurns) ? value * static_cast<float>(M_PI / 180) : value;
}

// Angles about x, y and z (radians) as GoldSrc turns them into a quaternion.
void AnglesQuaternion(const float angles[3], float q[4])
{
    float sr = std::sin(angles[0] / 2), cr = std::cos(angles[0] / 2);
    float sp = std::sin(angles[1] / 2), cp = std::cos(angles[1] / 2);
    float sy = std::sin(angles[2] / 2), cy = std::cos(angles[2] / 2);
    q[0] = sr * cp * cy - cr * sp * sy;
    q[1] = cr * sp * cy + sr * cp * sy;
    q[2] = cr * cp * sy - sr * sp * cy;
    q[3] = cr * cp * cy + sr * sp * sy;
}

// A bone's pose from its six channels, its controllers at rest added.
JointPose BonePose(const StudioFile& file, size_t b, const float* channels)
{
    const StudioBone& bone = file.bones[b];
    float c[6];
    for (int j = 0; j < 6; ++j)
        c[j] = channels[j] + (bone.controller[j] >= 0 ? RestAdjustment(file.controllers[bone.controller[j]]) : 0);
    JointPose pose;
    std::copy(c, c + 3, pose.translate);
    AnglesQuaternion(c + 3, pose.rotate);
    return pose;
}

// An attachment is a joint of its own on its bone, so it moves as a tag.
JointPose AttachmentPose(const StudioAttachment& attachment)
{
    JointPose pose;
    std::copy(attachment.origin, attachment.origin + 3, pose.translate);
    return pose;
}

std::string AttachmentName(const StudioFile& file, size_t a)
{
    const std::string& name = file.attachments[a].name;
    return "tag_" + (name.empty() ? "attachment" + std::to_string(a + 1) : name);
}

void AddSequence(Skeleton& skeleton, const StudioFile& file, const StudioSequence& sequence)
{
    size_t bones = file.bones.size();
    std::vector<float> channels(6 * bones);
    for (uint32_t f = 0; f < sequence.frames; ++f) {
        for (size_t b = 0; b < bones; ++b) {
            if (sequence.channels.empty())
                std::copy(file.bones[b].value, file.bones[b].value + 6, &channels[6 * b]);
            else
                std::copy(&sequence.channels[6 * (f * bones + b)], &sequence.channels[6 * (f * bones + b)] + 6,
                          &channels[6 * b]);
        }
        // The engine leaves the motion bone's moving channels to the entity.
        if (sequence.motionBone < bones)
            for (int axis = 0; axis < 3; ++axis)
                if (sequence.motionType & (1u << axis))
                    channels[6 * sequence.motionBone + axis] = 0;
        for (size_t b = 0; b < bones; ++b)
            skeleton.frames.push_back(BonePose(file, b, &channels[6 * b]));
        for (const StudioAttachment& attachment : file.attachments)
            skeleton.frames.push_back(AttachmentPose(attachment));
    }
    AppendAnimation(skeleton, sequence.name, static_cast<int>(sequence.frames), sequence.fps, sequence.loop);
}

// Each body part's sub-model for a body number, as GoldSrc counts them.
std::vector<const StudioSubModel*> ChosenModels(const StudioFile& file, int body)
{
    std::vector<const StudioSubModel*> chosen;
    for (const StudioBodyPart& part : file.bodyParts)
        chosen.push_back(&part.models[(static_cast<uint32_t>(body) / part.base) % part.models.size()]);
    return chosen;
}

// A mesh's texture in the first skin family, or null.
const StudioTexture* MeshTexture(const StudioFile& file, const StudioMesh& mesh)
{
    if (file.skinFamilies.empty() || mesh.skinRef >= file.skinFamilies[0].size())
        return nullptr;
    return &file.textures[file.skinFamilies[0][mesh.skinRef]];
}

DrawnPart MeshPart(const StudioFile& file, const StudioSubModel& model, const StudioMesh& mesh, int slot,
                   const std::vector<Matrix34>& bones, const std::shared_ptr<const Skeleton>& skeleton)
{
    const StudioTexture* texture = MeshTexture(file, mesh);
    float width = texture ? static_cast<float>(texture->width) : 1, height = texture ? static_cast<float>(texture->height) : 1;
    SkinnedVertices skinned;
    std::map<std::tuple<uint16_t, uint16_t, int16_t, int16_t>, uint32_t> local;
    std::vector<float> st;
    std::vector<uint32_t> indices;
    bool fixed = false;
    for (const StudioCorner& c : mesh.corners) {
        auto [found, added] = local.emplace(std::make_tuple(c.vertex, c.normal, c.s, c.t), uint32_t(local.size()));
        if (added) {
            float at[3], normal[3];
            TransformPoint(bones[model.vertexBones[c.vertex]], &model.vertices[3 * c.vertex], at);
            TransformNormal(bones[model.normalBones[c.normal]], &model.normals[3 * c.normal], normal);
            skinned.positions.insert(skinned.positions.end(), at, at + 3);
            skinned.normals.insert(skinned.normals.end(), normal, normal + 3);
            st.insert(st.end(), {c.s / width, c.t / height});
            PutWeights({{1.0f, model.vertexBones[c.vertex]}}, static_cast<int>(skeleton->joints.size()), skinned,
                       fixed);
        }
        indices.push_back(found->second);
    }
    // The file winds its fronts as Quake does; the shared part maker turns them.
    for (size_t i = 0; i + 2 < indices.size(); i += 3)
        std::swap(indices[i + 1], indices[i + 2]);
    skinned.count = static_cast<int32_t>(local.size());
    DrawnPart part = PartOf(model.name, slot, std::move(st), std::move(indices), std::move(skinned), true, skeleton);
    part.material = texture ? texture->name : "";
    return part;
}

// A texture's picture: its palette's colours, and where GoldSrc masks it,
// the last colour clear.
RgbImage TexturePicture(const StudioTexture& texture)
{
    RgbImage image;
    PalettedSkin(texture.pixels.data(), texture.palette.data(), static_cast<int>(texture.width),
                 static_cast<int>(texture.height), 256, image);
    if (texture.flags & kStudioMasked) {
        image.alpha.resize(texture.pixels.size());
        for (size_t i = 0; i < texture.pixels.size(); ++i)
            image.alpha[i] = texture.pixels[i] == 255 ? 0 : 255;
    }
    return image;
}

// The one stage GoldSrc draws a flagged texture with: masked alpha-tested,
// additive added to what is behind, chrome mapped from the view.
std::shared_ptr<ShaderScript> FlagScript(const StudioTexture& texture)
{
    if (!(texture.flags & (kStudioChrome | kStudioAdditive | kStudioMasked)))
        return nullptr;
    auto script = std::make_shared<ShaderScript>();
    script->name = ShaderKey(texture.name);
    ShaderStage stage;
    stage.images = {texture.name};
    stage.rgbGen = ColourGen::kLightingDiffuse;
    if (texture.flags & kStudioMasked)
        stage.alphaTest = AlphaTest::kAtLeastHalf;
    if (texture.flags & kStudioAdditive) {
        stage.blend = true;
        stage.blendSource = stage.blendDestination = BlendFactor::kOne;
        stage.depthWrite = false;
        stage.rgbGen = ColourGen::kIdentity;
    }
    if (texture.flags & kStudioChrome)
        stage.tcGen = TexGen::kEnvironment;
    script->stages.push_back(stage);
    return script;
}

// Each texture's picture and shader, made once; a skin a skin family.
void AddStudioLooks(ModelObject* model, const StudioFile& file, const std::vector<const StudioMesh*>& meshes)
{
    PrepareSkinSlots(model, 0, 0);
    std::vector<int32_t> pictures, shaders;
    for (const StudioTexture& texture : file.textures) {
        model->skinPictures.push_back(TexturePicture(texture));
        pictures.push_back(static_cast<int32_t>(model->skinPictures.size() - 1));
        shaders.push_back(-1);
        if (std::shared_ptr<ShaderScript> script = FlagScript(texture)) {
            ModelShader shader;
            shader.script = script;
            shader.passes.push_back({&script->stages[0], {pictures.back()}});
            shader.sort = ShaderSort(*script);
            shader.perVertex = ShaderIsPerVertex(*script);
            model->shaders.push_back(std::move(shader));
            shaders.back() = static_cast<int32_t>(model->shaders.size() - 1);
        }
    }
    for (size_t f = 0; f < file.skinFamilies.size() && model->numSkins < model->maxSkins; ++f) {
        SkinInfo& skin = model->skins[model->numSkins++];
        snprintf(skin.name, sizeof skin.name, f == 0 ? "default" : "skin%zu", f);
        for (const StudioMesh* mesh : meshes) {
            uint32_t texture = file.skinFamilies[f][mesh->skinRef];
            skin.partPictures.push_back(pictures[texture]);
            skin.partShaders.push_back(shaders[texture]);
        }
    }
    model->hasSkins = model->texturing = !model->skinPictures.empty();
}

// The companion files beside the model: its name with a suffix, in its own folder or archive.
StudioCompanion Companions(const std::string& path)
{
    return [path](const std::string& suffix, std::vector<uint8_t>& bytes) {
        std::string name = path;
        const char* extension = ExtractExtension(name.c_str());
        name.resize(extension ? name.size() - strlen(extension) - 1 : name.size());
        std::string error, lower = suffix;
        for (char& c : lower)
            c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
        for (const std::string& end : {suffix, lower})
            for (const char* ext : {".mdl", ".MDL"})
                if (ReadGameFile(name + end + ext, bytes, error) == GameFileResult::kOk)
                    return true;
        return false;
    };
}

// NAMET.mdl and NAME01.mdl... are NAME.mdl's textures and sequence groups.
bool IsStudioPart(const std::string& name, std::string& model)
{
    size_t dot = name.rfind('.'), slash = name.rfind('/');
    size_t start = slash == std::string::npos ? 0 : slash + 1;
    if (dot == std::string::npos || dot < start + 2 || strcasecmp(name.c_str() + dot, ".mdl") != 0)
        return false;
    size_t cut = (name[dot - 1] == 'T' || name[dot - 1] == 't') ? dot - 1
                 : isdigit(static_cast<unsigned char>(name[dot - 1])) && isdigit(static_cast<unsigned char>(name[dot - 2]))
                     ? dot - 2
                     : std::string::npos;
    if (cut == std::string::npos || cut == start)
        return false;
    model = name.substr(0, cut) + name.substr(dot);
    return true;
}

// A texture file (a studio header of textures and no bones) or a sequence group.
bool IsStudioPartFile(const std::vector<uint8_t>& bytes)
{
    if (bytes.size() >= 8 && memcmp(bytes.data(), "IDSQ", 4) == 0)
        return true;
    if (bytes.size() < 244 || memcmp(bytes.data(), "IDST", 4) != 0)
        return false;
    auto at = [&](size_t offset) { return bytes[offset] | bytes[offset + 1] << 8 | bytes[offset + 2] << 16 | uint32_t(bytes[offset + 3]) << 24; };
    return at(140) == 0 && at(204) == 0 && at(180) > 0;  // no bones, no body parts, textures
}

int Bodies(const StudioFile& file)
{
    uint64_t bodies = 1;
    for (const StudioBodyPart& part : file.bodyParts)
        bodies = std::max<uint64_t>(bodies, uint64_t(part.base) * part.models.size());
    return static_cast<int>(std::min<uint64_t>(bodies, 1u << 20));
}

}  // namespace

Skeleton StudioSkeleton(const StudioFile& file)
{
    Skeleton skeleton;
    for (size_t b = 0; b < file.bones.size(); ++b)
        skeleton.joints.push_back({file.bones[b].name, file.bones[b].parent, BonePose(file, b, file.bones[b].value)});
    for (size_t a = 0; a < file.attachments.size(); ++a)
        skeleton.joints.push_back(
            {AttachmentName(file, a), static_cast<int32_t>(file.attachments[a].bone), AttachmentPose(file.attachments[a])});
    FinishSkeleton(skeleton);
    for (const StudioSequence& sequence : file.sequences)
        AddSequence(skeleton, file, sequence);
    return skeleton;
}

std::vector<DrawnPart> StudioParts(const StudioFile& file, int body, const std::shared_ptr<const Skeleton>& skeleton,
                                   std::vector<const StudioMesh*>* meshes)
{
    std::vector<JointPose> rest(skeleton->joints.size());
    for (size_t j = 0; j < rest.size(); ++j)
        rest[j] = skeleton->joints[j].bind;
    std::vector<Matrix34> bones = JointMatrices(skeleton->joints, rest.data());
    std::vector<DrawnPart> parts;
    for (const StudioSubModel* model : ChosenModels(file, body))
        for (const StudioMesh& mesh : model->meshes) {
            if (mesh.corners.empty())
                continue;
            parts.push_back(MeshPart(file, *model, mesh, static_cast<int>(parts.size()), bones, skeleton));
            if (meshes)
                meshes->push_back(&mesh);
        }
    return parts;
}

namespace {

std::unique_ptr<ModelObject> InitStudioObject(const char* path, std::vector<uint8_t> bytes)
{
    Reports reports;
    std::unique_ptr<StudioFile> file = ReadStudio(bytes, Companions(path), reports);
    ReportAll(reports);
    if (!file)
        return nullptr;
    Skeleton skeleton = StudioSkeleton(*file);
    const StudioFile& record = *file;
    int body = ModelBody() % Bodies(record);
    std::vector<const StudioMesh*> meshes;
    std::unique_ptr<ModelObject> model = FinishSkeletal(
        path, std::shared_ptr<StudioFile>(std::move(file)), std::move(skeleton),
        [&](const std::shared_ptr<const Skeleton>& shared, Reports&) {
            return StudioParts(record, body, shared, &meshes);
        },
        CubeModelConfig(), "InitStudioObject", "DrawStudioFrame()",
        [&](ModelObject* made, const std::vector<DrawnPart>&) { AddStudioLooks(made, record, meshes); });
    if (model)
        model->bodies = Bodies(record), model->body = body;
    return model;
}

bool DescribeStudio(const std::string& path, const std::vector<uint8_t>& bytes, ModelSummary& summary,
                    Reports& reports)
{
    std::unique_ptr<StudioFile> file = ReadStudio(bytes, Companions(path), reports);
    if (!file)
        return false;
    Skeleton skeleton = StudioSkeleton(*file);
    auto shared = std::make_shared<const Skeleton>(skeleton);
    std::vector<DrawnPart> parts = StudioParts(*file, 0, shared, nullptr);
    size_t meshes = parts.size();
    SummariseDrawn(SkeletalDrawn(std::move(parts), shared, "", ""), summary);
    SummariseSkeletal(skeleton, meshes, summary);
    summary.skins = static_cast<int32_t>(file->skinFamilies.size());
    summary.columns.push_back(std::to_string(file->bodyParts.size()) + " body parts, " +
                              std::to_string(Bodies(*file)) + " bodies");
    return true;
}

}  // namespace

extern const ModelFormat kStudioFormat = {
    "hlmdl", {"mdl"}, "IDST", "Half-Life Models", nullptr, "Half-Life model", "model/x-hl-mdl",
    false, false, "ReadStudio", "InitStudioObject", InitStudioObject, DescribeStudio, nullptr, nullptr, nullptr, IsStudioPart,
    IsStudioPartFile};
