#include "studio_writer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace writers {

namespace {

using Channels = std::array<float, 6>;  // position, angles about x, y, z

void Set32(std::vector<uint8_t>& out, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

void Put16(std::vector<uint8_t>& out, int value)
{
    out.push_back(static_cast<uint8_t>(value & 0xFF));
    out.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
}

uint32_t Here(const std::vector<uint8_t>& out)
{
    return static_cast<uint32_t>(out.size());
}

// The angles GoldSrc turns into this quaternion (z, then y, then x).
Channels ChannelsOf(const SkeletalPose& pose)
{
    const float* q = pose.rotate;
    return {pose.translate[0], pose.translate[1], pose.translate[2],
            std::atan2(2 * (q[3] * q[0] + q[1] * q[2]), 1 - 2 * (q[0] * q[0] + q[1] * q[1])),
            std::asin(std::clamp(2 * (q[3] * q[1] - q[2] * q[0]), -1.0f, 1.0f)),
            std::atan2(2 * (q[3] * q[2] + q[0] * q[1]), 1 - 2 * (q[1] * q[1] + q[2] * q[2]))};
}

// A blend's frames: every joint's channels a frame.
using Blend = std::vector<std::vector<Channels>>;

std::vector<Blend> BlendsOf(const SkeletalAnimation& animation, bool twoBlends)
{
    Blend first;
    for (const auto& frame : animation.frames) {
        first.emplace_back();
        for (const SkeletalPose& pose : frame)
            first.back().push_back(ChannelsOf(pose));
    }
    std::vector<Blend> blends = {first};
    if (twoBlends) {
        Blend turned = first;
        for (auto& frame : turned)
            for (Channels& c : frame)
                c[3] += 1.0f;
        blends.push_back(turned);
    }
    return blends;
}

struct Bones {
    std::vector<Channels> rest, scale;
};

// One blend as GoldSrc packs it: a channel's offset for every joint, then
// the channels that move as runs of at most 255 frames, a run's repeated
// last values given once.
void PutBlend(std::vector<uint8_t>& out, const Blend& blend, const Bones& bones)
{
    size_t joints = bones.rest.size(), table = out.size();
    out.resize(out.size() + 12 * joints, 0);
    for (size_t j = 0; j < joints; ++j)
        for (int c = 0; c < 6; ++c) {
            std::vector<long> steps;
            for (const auto& frame : blend)
                steps.push_back(std::lround((frame[j][c] - bones.rest[j][c]) / bones.scale[j][c]));
            if (std::all_of(steps.begin(), steps.end(), [](long s) { return s == 0; }))
                continue;
            size_t offset = out.size() - (table + 12 * j);
            out[table + 12 * j + 2 * c] = static_cast<uint8_t>(offset & 0xFF);
            out[table + 12 * j + 2 * c + 1] = static_cast<uint8_t>(offset >> 8);
            for (size_t f = 0; f < steps.size();) {
                size_t total = std::min<size_t>(255, steps.size() - f), valid = total;
                while (valid > 1 && steps[f + valid - 1] == steps[f + valid - 2])
                    --valid;
                out.push_back(static_cast<uint8_t>(valid)), out.push_back(static_cast<uint8_t>(total));
                for (size_t k = 0; k < valid; ++k)
                    Put16(out, static_cast<int>(steps[f + k]));
                f += total;
            }
        }
}

Bones BonesOf(const SkeletalModel& model, const std::vector<std::vector<Blend>>& sequences)
{
    Bones bones;
    for (const SkeletalJoint& joint : model.joints) {
        bones.rest.push_back(ChannelsOf(joint.bind));
        bones.scale.push_back({});
    }
    for (size_t j = 0; j < model.joints.size(); ++j)
        for (int c = 0; c < 6; ++c) {
            float most = 0;
            for (const auto& blends : sequences)
                for (const Blend& blend : blends)
                    for (const auto& frame : blend)
                        most = std::max(most, std::fabs(frame[j][c] - bones.rest[j][c]));
            bones.scale[j][c] = most > 0 ? most / 30000 : 1;
        }
    return bones;
}

void PutBones(std::vector<uint8_t>& out, const SkeletalModel& model, const Bones& bones)
{
    Set32(out, studio::kNumBones, static_cast<uint32_t>(model.joints.size()));
    Set32(out, studio::kOfsBones, Here(out));
    for (size_t j = 0; j < model.joints.size(); ++j) {
        PutName(out, model.joints[j].name, 32);
        Put32(out, static_cast<uint32_t>(model.joints[j].parent));
        Put32(out, 0);
        for (int c = 0; c < 6; ++c)
            Put32(out, 0xFFFFFFFF);  // no controller
        for (float v : bones.rest[j])
            PutFloat(out, v);
        for (float v : bones.scale[j])
            PutFloat(out, v);
    }
}

// The sequences' descriptions, their groups, and their packed frames: the
// first group's in the model, the second's in its own file.
void PutSequences(std::vector<uint8_t>& out, StudioFiles& files, const SkeletalModel& model,
                  const StudioOptions& options)
{
    std::vector<std::vector<Blend>> sequences;
    for (size_t a = 0; a < model.animations.size(); ++a)
        sequences.push_back(BlendsOf(model.animations[a], a == 0 && options.firstBlended));
    Bones bones = BonesOf(model, sequences);
    PutBones(out, model, bones);
    Set32(out, 152, Here(out));  // no controllers
    Set32(out, studio::kNumSequences, static_cast<uint32_t>(sequences.size()));
    Set32(out, studio::kOfsSequences, Here(out));
    std::vector<size_t> descriptions;
    for (size_t s = 0; s < sequences.size(); ++s) {
        descriptions.push_back(out.size());
        std::vector<uint8_t> d;
        PutName(d, model.animations[s].name, 32);
        PutFloat(d, model.animations[s].fps);
        Put32(d, 1);  // looping
        d.resize(56, 0);
        Put32(d, static_cast<uint32_t>(sequences[s][0].size()));
        d.resize(120, 0);
        Put32(d, static_cast<uint32_t>(sequences[s].size()));
        d.resize(156, 0);
        Put32(d, options.lastInGroup && s + 1 == sequences.size() ? 1 : 0);
        d.resize(176, 0);
        out.insert(out.end(), d.begin(), d.end());
    }
    uint32_t groups = options.lastInGroup ? 2 : 1;
    Set32(out, 172, groups);
    Set32(out, 176, Here(out));
    for (uint32_t g = 0; g < groups; ++g) {
        PutName(out, g ? "group" : "default", 32);
        PutName(out, g ? "models/" + options.name + "01.mdl" : "", 64);
        Put32(out, 0), Put32(out, 0);
    }
    if (options.lastInGroup) {
        files.group.assign({'I', 'D', 'S', 'Q'});
        Put32(files.group, 10);
        PutName(files.group, options.name + "01.mdl", 64);
        Put32(files.group, 0);
    }
    for (size_t s = 0; s < sequences.size(); ++s) {
        bool apart = options.lastInGroup && s + 1 == sequences.size();
        std::vector<uint8_t>& into = apart ? files.group : out;
        Set32(out, descriptions[s] + 124, Here(into));
        for (const Blend& blend : sequences[s])
            PutBlend(into, blend, bones);
    }
}

void PutAttachments(std::vector<uint8_t>& out, const StudioOptions& options)
{
    Set32(out, 212, static_cast<uint32_t>(options.attachments.size()));
    Set32(out, studio::kOfsAttachments, Here(out));
    for (size_t a = 0; a < options.attachments.size(); ++a) {
        PutName(out, "hand" + std::to_string(a + 1), 32);
        Put32(out, 0);
        Put32(out, static_cast<uint32_t>(options.attachments[a].first));
        for (float v : options.attachments[a].second)
            PutFloat(out, v);
        out.resize(out.size() + 36, 0);
    }
}

// A sub-model's vertices, each on its heaviest joint in that joint's bind
// space; its meshes' triangles as strips, fans, or one triangle alone.
struct SubModel {
    std::vector<uint8_t> bones;
    std::vector<float> places, normals;
    std::vector<std::pair<uint32_t, std::vector<int16_t>>> meshes;  // skin reference, commands
};

std::vector<int16_t> Commands(const SkeletalMesh& mesh, uint32_t first, const StudioPicture& picture)
{
    std::vector<uint32_t> t;  // wound as GoldSrc winds them
    for (size_t i = 0; i + 2 < mesh.triangles.size(); i += 3)
        t.insert(t.end(), {mesh.triangles[i], mesh.triangles[i + 2], mesh.triangles[i + 1]});
    std::vector<int16_t> commands;
    auto corner = [&](uint32_t v) {
        const float* st = mesh.vertices[v].texCoord;
        commands.insert(commands.end(), {int16_t(first + v), int16_t(first + v), int16_t(std::lround(st[0] * picture.width)),
                                         int16_t(std::lround(st[1] * picture.height))});
    };
    for (size_t i = 0; i < t.size(); i += 3) {
        bool pair = i + 5 < t.size();
        bool strip = pair && t[i + 3] == t[i + 2] && t[i + 4] == t[i + 1];
        bool fan = pair && t[i + 3] == t[i] && t[i + 4] == t[i + 2];
        if (strip || fan) {
            commands.push_back(static_cast<int16_t>(strip ? 4 : -4));
            for (uint32_t v : {t[i], t[i + 1], t[i + 2], t[i + 5]})
                corner(v);
            i += 3;
        } else {
            commands.push_back(3);
            for (uint32_t v : {t[i], t[i + 1], t[i + 2]})
                corner(v);
        }
    }
    commands.push_back(0);
    return commands;
}

SubModel SubModelOf(const SkeletalModel& model, const std::vector<int>& meshes, const StudioOptions& options)
{
    std::vector<Whole> wholes = Wholes(model.joints);
    SubModel sub;
    for (int m : meshes) {
        const SkeletalMesh& mesh = model.meshes[m];
        uint32_t first = static_cast<uint32_t>(sub.bones.size()), skinRef = 0;
        for (size_t p = 0; p < options.textures.size(); ++p)
            if (options.textures[p].name == mesh.material)
                skinRef = static_cast<uint32_t>(p);
        for (const SkeletalVertex& vertex : mesh.vertices) {
            size_t k = std::max_element(vertex.weights.begin(), vertex.weights.end()) - vertex.weights.begin();
            const Whole& bone = wholes[vertex.joints[k]];
            float back[4] = {-bone.rotate[0], -bone.rotate[1], -bone.rotate[2], bone.rotate[3]}, moved[3], local[3];
            for (int a = 0; a < 3; ++a)
                moved[a] = vertex.position[a] - bone.position[a];
            Rotate(back, moved, local);
            sub.places.insert(sub.places.end(), local, local + 3);
            Rotate(back, vertex.normal, local);
            sub.normals.insert(sub.normals.end(), local, local + 3);
            sub.bones.push_back(vertex.joints[k]);
        }
        StudioPicture plain;
        sub.meshes.push_back(
            {skinRef, Commands(mesh, first, options.textures.empty() ? plain : options.textures[skinRef])});
    }
    return sub;
}

// A sub-model's record (112 bytes), its data after everything written so far.
void PutSubModel(std::vector<uint8_t>& out, size_t record, const SubModel& sub, const std::string& name)
{
    std::vector<uint8_t> head;
    PutName(head, name, 64);
    std::copy(head.begin(), head.end(), out.begin() + static_cast<long>(record));
    uint32_t count = static_cast<uint32_t>(sub.bones.size());
    Set32(out, record + 80, count), Set32(out, record + 92, count);
    Set32(out, record + 84, Here(out)), Set32(out, record + 96, Here(out));
    out.insert(out.end(), sub.bones.begin(), sub.bones.end());
    while (out.size() % 4)
        out.push_back(0);
    Set32(out, record + 88, Here(out));
    for (float v : sub.places)
        PutFloat(out, v);
    Set32(out, record + 100, Here(out));
    for (float v : sub.normals)
        PutFloat(out, v);
    std::vector<uint32_t> commands;
    for (const auto& mesh : sub.meshes) {
        commands.push_back(Here(out));
        for (int16_t c : mesh.second)
            Put16(out, c);
    }
    Set32(out, record + 72, static_cast<uint32_t>(sub.meshes.size()));
    Set32(out, record + 76, Here(out));
    for (size_t m = 0; m < sub.meshes.size(); ++m) {
        Put32(out, 1), Put32(out, commands[m]), Put32(out, sub.meshes[m].first), Put32(out, 0), Put32(out, 0);
    }
}

void PutBodyParts(std::vector<uint8_t>& out, const SkeletalModel& model, const StudioOptions& options)
{
    std::vector<std::vector<std::vector<int>>> parts = options.bodyParts;
    if (parts.empty()) {
        parts = {{{}}};
        for (size_t m = 0; m < model.meshes.size(); ++m)
            parts[0][0].push_back(static_cast<int>(m));
    }
    Set32(out, 204, static_cast<uint32_t>(parts.size()));
    Set32(out, studio::kOfsBodyParts, Here(out));
    size_t first = out.size();
    out.resize(out.size() + 76 * parts.size(), 0);
    uint32_t base = 1;
    for (size_t p = 0; p < parts.size(); ++p) {
        size_t at = first + 76 * p;
        std::vector<uint8_t> name;
        PutName(name, "part" + std::to_string(p), 64);
        std::copy(name.begin(), name.end(), out.begin() + static_cast<long>(at));
        Set32(out, at + 64, static_cast<uint32_t>(parts[p].size()));
        Set32(out, at + 68, base);
        base *= static_cast<uint32_t>(parts[p].size());
        size_t records = out.size();
        Set32(out, at + 72, static_cast<uint32_t>(records));
        out.resize(out.size() + 112 * parts[p].size(), 0);
        for (size_t s = 0; s < parts[p].size(); ++s)
            PutSubModel(out, records + 112 * s, SubModelOf(model, parts[p][s], options),
                        "part" + std::to_string(p) + "_" + std::to_string(s));
    }
}

// Texture records, the skin table and each texture's indices and palette.
void PutTextures(std::vector<uint8_t>& out, const StudioOptions& options)
{
    uint32_t count = static_cast<uint32_t>(options.textures.size());
    std::vector<std::vector<int>> families = options.skinFamilies;
    if (families.empty()) {
        families.emplace_back();
        for (uint32_t t = 0; t < count; ++t)
            families[0].push_back(static_cast<int>(t));
    }
    Set32(out, studio::kNumTextures, count);
    Set32(out, studio::kOfsTextures, Here(out));
    size_t records = out.size();
    out.resize(out.size() + 80 * count, 0);
    Set32(out, 192, count), Set32(out, 196, static_cast<uint32_t>(families.size())), Set32(out, 200, Here(out));
    for (const auto& family : families)
        for (int t : family)
            Put16(out, t);
    Set32(out, 188, Here(out));
    for (uint32_t t = 0; t < count; ++t) {
        const StudioPicture& picture = options.textures[t];
        std::vector<uint8_t> name;
        PutName(name, picture.name, 64);
        std::copy(name.begin(), name.end(), out.begin() + static_cast<long>(records + 80 * t));
        Set32(out, records + 80 * t + 64, picture.flags);
        Set32(out, records + 80 * t + 68, picture.width);
        Set32(out, records + 80 * t + 72, picture.height);
        Set32(out, records + 80 * t + 76, Here(out));
        for (uint32_t i = 0; i < picture.width * picture.height; ++i)
            out.push_back(picture.pixels.empty() ? static_cast<uint8_t>(16 * (i / picture.width) + i % picture.width)
                                                 : picture.pixels[i]);
        for (int i = 0; i < 256; ++i)
            out.insert(out.end(), {uint8_t(i), uint8_t(255 - i), uint8_t(i / 2)});
    }
}

std::vector<uint8_t> Header(const std::string& name)
{
    std::vector<uint8_t> out = {'I', 'D', 'S', 'T'};
    Put32(out, 10);
    PutName(out, name + ".mdl", 64);
    out.resize(244, 0);
    return out;
}

}  // namespace

StudioFiles WriteStudio(const SkeletalModel& model, const StudioOptions& options)
{
    StudioFiles files;
    std::vector<uint8_t> out = Header(options.name);
    PutSequences(out, files, model, options);
    PutAttachments(out, options);
    PutBodyParts(out, model, options);
    if (options.texturesApart) {
        files.textures = Header(options.name + "T");
        PutTextures(files.textures, options);
        Set32(out, studio::kOfsTextures, Here(out)), Set32(out, 188, Here(out)), Set32(out, 200, Here(out));
    } else {
        PutTextures(out, options);
    }
    Set32(out, 72, Here(out));
    files.model = std::move(out);
    return files;
}

}  // namespace writers
