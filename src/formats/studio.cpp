#include "formats/studio.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "formats/byte_order.h"

namespace {

constexpr size_t kBoneSize = 112, kControllerSize = 24, kGroupSize = 104, kSequenceSize = 176, kAnimSize = 12,
                 kAttachmentSize = 88, kBodyPartSize = 76, kModelSize = 112, kMeshSize = 20, kTextureSize = 80,
                 kGroupHeaderSize = 76;
// GoldSrc's own limits are lower (128 bones, 2048 vertices); these only keep
// a hostile count from asking for memory no model needs.
constexpr uint32_t kMaxBones = 512, kMaxCount = 65536, kMaxFrameChannels = 1 << 24, kMaxTextureSide = 4096;
// Channels left at rest take no bytes, so the file's size does not bound
// the frames: all the sequences' channels together are held to this.
constexpr uint64_t kMaxModelChannels = 1 << 25;

struct Header {
    uint32_t bones, ofsBones, controllers, ofsControllers, sequences, ofsSequences, groups, ofsGroups, textures,
        ofsTextures, skinRefs, skinFamilies, ofsSkins, bodyParts, ofsBodyParts, attachments, ofsAttachments;
};

Header ReadHeader(const LittleEndian& in)
{
    auto u = [&](size_t at) { return in.U32(at); };
    return {u(140), u(144), u(148), u(152), u(164), u(168), u(172), u(176), u(180),
            u(184), u(192), u(196), u(200), u(204), u(208), u(212), u(216)};
}

bool IsStudio(const LittleEndian& in, const char* magic, size_t header)
{
    return in.Fits(0, 1, header) && memcmp(in.Data(), magic, 4) == 0 && in.U32(4) == 10;
}

// A table of count entries of size at offset: within the file and the cap.
bool TableFits(const LittleEndian& in, uint32_t count, uint32_t offset, size_t size, uint32_t cap, const char* what,
               Reports& reports)
{
    if (count <= cap && in.Fits(offset, count, size))
        return true;
    AddReport(reports, "ReadStudio: %u %s at %u do not fit the file", count, what, offset);
    return false;
}

bool ReadBones(const LittleEndian& in, const Header& h, StudioFile& file, Reports& reports)
{
    if (h.bones == 0)
        AddReport(reports, "ReadStudio: the model has no bones");
    if (h.bones == 0 || !TableFits(in, h.bones, h.ofsBones, kBoneSize, kMaxBones, "bones", reports))
        return false;
    for (uint32_t b = 0; b < h.bones; ++b) {
        size_t at = h.ofsBones + size_t(b) * kBoneSize;
        StudioBone bone;
        bone.name = in.Name(at, 32);
        bone.parent = in.I32(at + 32);
        if (bone.parent < -1 || bone.parent >= static_cast<int32_t>(b)) {
            AddReport(reports, "ReadStudio: bone %u has parent %d, not one before it", b, bone.parent);
            return false;
        }
        for (int j = 0; j < 6; ++j) {
            bone.controller[j] = in.I32(at + 40 + 4 * j);
            bone.value[j] = in.F32(at + 64 + 4 * j);
            bone.scale[j] = in.F32(at + 88 + 4 * j);
            if (bone.controller[j] < -1 || bone.controller[j] >= static_cast<int32_t>(h.controllers)) {
                AddReport(reports, "ReadStudio: bone %u names controller %d of %u", b, bone.controller[j],
                          h.controllers);
                return false;
            }
        }
        file.bones.push_back(bone);
    }
    return true;
}

bool ReadControllers(const LittleEndian& in, const Header& h, StudioFile& file, Reports& reports)
{
    if (!TableFits(in, h.controllers, h.ofsControllers, kControllerSize, kMaxBones, "controllers", reports))
        return false;
    for (uint32_t c = 0; c < h.controllers; ++c) {
        size_t at = h.ofsControllers + size_t(c) * kControllerSize;
        file.controllers.push_back({in.I32(at), in.I32(at + 4), in.F32(at + 8), in.F32(at + 12), in.I32(at + 16)});
    }
    return true;
}

// One channel's packed values, frame after frame: runs of a count of
// values given and a count of frames, the last value given held for the
// rest of the run.
bool UnpackChannel(const LittleEndian& in, uint64_t at, uint32_t frames, float rest, float scale, float* out,
                   size_t stride)
{
    for (uint32_t f = 0; f < frames;) {
        if (!in.Fits(at, 1, 2))
            return false;
        uint32_t valid = in.Data()[at], total = in.Data()[at + 1];
        if (!in.Fits(at, valid + 1, 2))
            return false;
        for (uint32_t k = 0; k < total && f < frames; ++k, ++f)
            out[f * stride] = rest + scale * in.I16(at + 2 * (k < valid ? k + 1 : valid));
        at += 2 * (valid + 1);
    }
    return true;
}

bool UnpackSequence(const LittleEndian& in, uint64_t anims, const StudioFile& file, StudioSequence& sequence)
{
    size_t bones = file.bones.size(), stride = 6 * bones;
    if (!in.Fits(anims, bones, kAnimSize))
        return false;
    sequence.channels.assign(sequence.frames * stride, 0.0f);
    for (size_t b = 0; b < bones; ++b) {
        const StudioBone& bone = file.bones[b];
        uint64_t at = anims + b * kAnimSize;
        for (int j = 0; j < 6; ++j) {
            float* out = &sequence.channels[6 * b + j];
            uint16_t offset = in.U16(at + 2 * j);
            if (offset == 0) {
                for (uint32_t f = 0; f < sequence.frames; ++f)
                    out[f * stride] = bone.value[j];
            } else if (!UnpackChannel(in, at + offset, sequence.frames, bone.value[j], bone.scale[j], out, stride)) {
                return false;
            }
        }
    }
    return true;
}

// The bytes of each sequence group: the model's own for the first, its
// NAME01.mdl... for the rest (empty when missing, reported once).
std::vector<std::vector<uint8_t>> GroupFiles(const Header& h, const StudioCompanion& companion, Reports& reports)
{
    std::vector<std::vector<uint8_t>> groups(h.groups);
    for (uint32_t g = 1; g < h.groups; ++g) {
        char suffix[16];
        snprintf(suffix, sizeof suffix, "%02u", g);
        if (!companion || !companion(suffix, groups[g]) || !IsStudio(LittleEndian(groups[g]), "IDSQ", kGroupHeaderSize)) {
            AddReport(reports,
                      "ReadStudio: sequence group %u's file (the model's name and %s.mdl) is missing or not one; "
                      "its sequences stay at rest",
                      g, suffix);
            groups[g].clear();
        }
    }
    return groups;
}

bool ReadSequence(const LittleEndian& in, const Header& h, uint32_t s,
                  const std::vector<std::vector<uint8_t>>& groups, StudioFile& file, Reports& reports)
{
    size_t at = h.ofsSequences + size_t(s) * kSequenceSize;
    StudioSequence sequence;
    sequence.name = in.Name(at, 32);
    sequence.fps = in.F32(at + 32);
    sequence.loop = (in.U32(at + 36) & kStudioLooping) != 0;
    sequence.frames = std::max<uint32_t>(1, in.U32(at + 56));
    sequence.motionType = in.U32(at + 68), sequence.motionBone = in.U32(at + 72);
    sequence.blends = in.U32(at + 120);
    uint32_t anims = in.U32(at + 124), group = in.U32(at + 156);
    if (group >= h.groups || sequence.frames > kMaxCount || sequence.blends == 0 ||
        uint64_t(sequence.frames) * file.bones.size() * 6 > kMaxFrameChannels) {
        AddReport(reports, "ReadStudio: sequence %u has %u frames, %u blends in group %u of %u", s, sequence.frames,
                  sequence.blends, group, h.groups);
        return false;
    }
    if (group == 0) {
        uint64_t base = in.U32(h.ofsGroups + 100);  // the first group's data within the model
        if (!UnpackSequence(in, base + anims, file, sequence)) {
            AddReport(reports, "ReadStudio: sequence %u's animation at %u does not fit the file", s, anims);
            return false;
        }
    } else if (!groups[group].empty() && !UnpackSequence(LittleEndian(groups[group]), anims, file, sequence)) {
        AddReport(reports, "ReadStudio: sequence %u's animation at %u does not fit group file %02u", s, anims, group);
        return false;
    }
    file.sequences.push_back(std::move(sequence));
    return true;
}

bool ReadSequences(const LittleEndian& in, const Header& h, const StudioCompanion& companion, StudioFile& file,
                   Reports& reports)
{
    if (!TableFits(in, h.sequences, h.ofsSequences, kSequenceSize, kMaxCount, "sequences", reports) ||
        !TableFits(in, h.groups, h.ofsGroups, kGroupSize, 256, "sequence groups", reports))
        return false;
    if (h.sequences > 0 && h.groups == 0) {
        AddReport(reports, "ReadStudio: %u sequences in no sequence group", h.sequences);
        return false;
    }
    std::vector<std::vector<uint8_t>> groups = GroupFiles(h, companion, reports);
    uint64_t channels = 0;
    for (uint32_t s = 0; s < h.sequences; ++s) {
        if (!ReadSequence(in, h, s, groups, file, reports))
            return false;
        channels += uint64_t(file.sequences.back().frames) * file.bones.size() * 6;
        if (channels > kMaxModelChannels) {
            AddReport(reports, "ReadStudio: the sequences hold more than %llu bone channels",
                      static_cast<unsigned long long>(kMaxModelChannels));
            return false;
        }
    }
    return true;
}

bool ReadAttachments(const LittleEndian& in, const Header& h, StudioFile& file, Reports& reports)
{
    if (!TableFits(in, h.attachments, h.ofsAttachments, kAttachmentSize, kMaxBones, "attachments", reports))
        return false;
    for (uint32_t a = 0; a < h.attachments; ++a) {
        size_t at = h.ofsAttachments + size_t(a) * kAttachmentSize;
        StudioAttachment attachment{in.Name(at, 32), in.U32(at + 36), {in.F32(at + 40), in.F32(at + 44), in.F32(at + 48)}};
        if (attachment.bone >= file.bones.size()) {
            AddReport(reports, "ReadStudio: attachment %u is on bone %u of %zu", a, attachment.bone, file.bones.size());
            return false;
        }
        file.attachments.push_back(attachment);
    }
    return true;
}

bool ReadTextures(const LittleEndian& in, const Header& h, StudioFile& file, Reports& reports)
{
    if (!TableFits(in, h.textures, h.ofsTextures, kTextureSize, kMaxCount, "textures", reports) ||
        !TableFits(in, h.skinFamilies, h.ofsSkins, size_t(h.skinRefs) * 2, 256, "skin families", reports) ||
        h.skinRefs > kMaxCount)
        return false;
    for (uint32_t t = 0; t < h.textures; ++t) {
        size_t at = h.ofsTextures + size_t(t) * kTextureSize;
        StudioTexture texture{in.Name(at, 64), in.U32(at + 64), in.U32(at + 68), in.U32(at + 72), {}, {}};
        uint32_t pixels = in.U32(at + 76);
        if (texture.width == 0 || texture.height == 0 || texture.width > kMaxTextureSide ||
            texture.height > kMaxTextureSide || !in.Fits(pixels, uint64_t(texture.width) * texture.height + 768, 1)) {
            AddReport(reports, "ReadStudio: texture %u of %u x %u at %u does not fit the file", t, texture.width,
                      texture.height, pixels);
            return false;
        }
        const uint8_t* from = in.Data() + pixels;
        size_t size = size_t(texture.width) * texture.height;
        texture.pixels.assign(from, from + size);
        texture.palette.assign(from + size, from + size + 768);
        file.textures.push_back(std::move(texture));
    }
    for (uint32_t f = 0; f < h.skinFamilies; ++f) {
        std::vector<uint32_t> family;
        for (uint32_t r = 0; r < h.skinRefs; ++r) {
            uint32_t texture = in.U16(h.ofsSkins + 2 * (size_t(f) * h.skinRefs + r));
            if (texture >= h.textures) {
                AddReport(reports, "ReadStudio: skin family %u names texture %u of %u", f, texture, h.textures);
                return false;
            }
            family.push_back(texture);
        }
        file.skinFamilies.push_back(std::move(family));
    }
    return true;
}

// The model's textures, or its NAMET.mdl's when it holds none.
bool ReadTextureFile(const LittleEndian& in, const Header& h, const StudioCompanion& companion, StudioFile& file,
                     Reports& reports)
{
    if (h.textures > 0)
        return ReadTextures(in, h, file, reports);
    std::vector<uint8_t> bytes;
    if (!companion || !companion("T", bytes)) {
        AddReport(reports, "ReadStudio: the model has no textures and no texture file T.mdl beside it");
        return true;
    }
    LittleEndian textures(bytes);
    if (!IsStudio(textures, "IDST", kStudioHeaderSize)) {
        AddReport(reports, "ReadStudio: texture file T.mdl is not a version 10 studio model");
        return false;
    }
    return ReadTextures(textures, ReadHeader(textures), file, reports);
}

// A mesh's strips (a positive count) and fans (negative) of corners, ended
// by a count of zero, unwound into triangles.
bool ReadCommands(const LittleEndian& in, uint64_t at, const StudioSubModel& model, StudioMesh& mesh)
{
    std::vector<StudioCorner> run;
    for (;;) {
        if (!in.Fits(at, 1, 2))
            return false;
        int32_t n = in.I16(at);
        at += 2;
        if (n == 0)
            return true;
        uint32_t count = static_cast<uint32_t>(n < 0 ? -n : n);
        if (!in.Fits(at, count, 8))
            return false;
        run.clear();
        for (uint32_t k = 0; k < count; ++k, at += 8) {
            StudioCorner c{in.U16(at), in.U16(at + 2), in.I16(at + 4), in.I16(at + 6)};
            if (c.vertex >= model.vertexBones.size() || c.normal >= model.normalBones.size())
                return false;
            run.push_back(c);
        }
        for (size_t k = 0; k + 2 < run.size(); ++k) {
            bool fan = n < 0, odd = k % 2 == 1;
            mesh.corners.push_back(fan ? run[0] : odd ? run[k + 1] : run[k]);
            mesh.corners.push_back(fan ? run[k + 1] : odd ? run[k] : run[k + 1]);
            mesh.corners.push_back(run[k + 2]);
        }
    }
}

// count points of three floats, each with its bone's index.
bool ReadPoints(const LittleEndian& in, uint32_t count, uint32_t ofsBones, uint32_t ofsPoints, size_t bones,
                std::vector<uint8_t>& boneOf, std::vector<float>& points)
{
    if (count > kMaxCount || !in.Fits(ofsBones, count, 1) || !in.Fits(ofsPoints, count, 12))
        return false;
    boneOf.assign(in.Data() + ofsBones, in.Data() + ofsBones + count);
    for (uint8_t b : boneOf)
        if (b >= bones)
            return false;
    for (size_t i = 0; i < 3 * size_t(count); ++i)
        points.push_back(in.F32(ofsPoints + 4 * i));
    return true;
}

bool ReadSubModel(const LittleEndian& in, size_t at, const StudioFile& file, uint32_t skinRefs,
                  StudioSubModel& model)
{
    auto u = [&](size_t offset) { return in.U32(at + offset); };
    model.name = in.Name(at, 64);
    if (!ReadPoints(in, u(80), u(84), u(88), file.bones.size(), model.vertexBones, model.vertices) ||
        !ReadPoints(in, u(92), u(96), u(100), file.bones.size(), model.normalBones, model.normals))
        return false;
    uint32_t meshes = u(72), ofsMeshes = u(76);
    if (meshes > kMaxCount || !in.Fits(ofsMeshes, meshes, kMeshSize))
        return false;
    for (uint32_t m = 0; m < meshes; ++m) {
        size_t mesh = ofsMeshes + size_t(m) * kMeshSize;
        model.meshes.push_back({in.U32(mesh + 8), {}});
        if ((skinRefs > 0 && model.meshes.back().skinRef >= skinRefs) ||
            !ReadCommands(in, in.U32(mesh + 4), model, model.meshes.back()))
            return false;
    }
    return true;
}

bool ReadBodyParts(const LittleEndian& in, const Header& h, StudioFile& file, Reports& reports)
{
    if (!TableFits(in, h.bodyParts, h.ofsBodyParts, kBodyPartSize, 256, "body parts", reports))
        return false;
    uint32_t skinRefs = file.skinFamilies.empty() ? 0 : static_cast<uint32_t>(file.skinFamilies[0].size());
    for (uint32_t p = 0; p < h.bodyParts; ++p) {
        size_t at = h.ofsBodyParts + size_t(p) * kBodyPartSize;
        StudioBodyPart part{in.Name(at, 64), in.U32(at + 68), {}};
        uint32_t models = in.U32(at + 64), ofsModels = in.U32(at + 72);
        if (models == 0 || part.base == 0) {
            AddReport(reports, "ReadStudio: body part %u has %u sub-models counted by %u", p, models, part.base);
            return false;
        }
        if (!TableFits(in, models, ofsModels, kModelSize, 256, "sub-models", reports))
            return false;
        for (uint32_t m = 0; m < models; ++m) {
            part.models.emplace_back();
            if (!ReadSubModel(in, ofsModels + size_t(m) * kModelSize, file, skinRefs, part.models.back())) {
                AddReport(reports, "ReadStudio: body part %u's sub-model %u has a table or index past its end", p, m);
                return false;
            }
        }
        file.bodyParts.push_back(std::move(part));
    }
    return true;
}

}  // namespace

std::unique_ptr<StudioFile> ReadStudio(const std::vector<uint8_t>& bytes, const StudioCompanion& companion,
                                       Reports& reports)
{
    LittleEndian in(bytes);
    if (!IsStudio(in, "IDST", kStudioHeaderSize)) {
        AddReport(reports, "ReadStudio: not a version 10 studio model of %zu bytes", bytes.size());
        return nullptr;
    }
    Header h = ReadHeader(in);
    if (h.bones == 0 && h.bodyParts == 0 && h.textures > 0) {
        AddReport(reports, "ReadStudio: a Half-Life model's texture file: open the model it goes with");
        return nullptr;
    }
    auto file = std::make_unique<StudioFile>();
    if (!ReadControllers(in, h, *file, reports) || !ReadBones(in, h, *file, reports) ||
        !ReadSequences(in, h, companion, *file, reports) || !ReadAttachments(in, h, *file, reports) ||
        !ReadTextureFile(in, h, companion, *file, reports) || !ReadBodyParts(in, h, *file, reports))
        return nullptr;
    return file;
}
