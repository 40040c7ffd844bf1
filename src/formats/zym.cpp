#include "formats/zym.h"

#include "formats/byte_order.h"

namespace {

struct Lump {
    uint32_t start, length;
};

enum { kScenes, kPoses, kBones, kBoneCounts, kVertices, kTexCoords, kRender, kShaders, kLumps = 9 };
constexpr size_t kSceneSize = 76, kBoneSize = 40, kPoseSize = 48;
constexpr uint32_t kMaxScenePoses = 1 << 22;

struct Header {
    uint32_t vertices, triangles, shaders, bones, scenes;
    Lump lumps[kLumps];
};

bool LumpFits(const BigEndian& in, const Lump& lump, uint64_t count, uint64_t size)
{
    return in.Fits(lump.start, count, size) && uint64_t(lump.length) >= count * size;
}

bool ReadBones(const BigEndian& in, const Header& h, ZymFile& file, Reports& reports)
{
    if (h.bones == 0 || !LumpFits(in, h.lumps[kBones], h.bones, kBoneSize)) {
        AddReport(reports, "ReadZym: %u bones do not fit their lump", h.bones);
        return false;
    }
    for (uint32_t b = 0; b < h.bones; ++b) {
        size_t at = h.lumps[kBones].start + size_t(b) * kBoneSize;
        int32_t parent = static_cast<int32_t>(in.U32(at + 36));
        if (parent < -1 || parent >= static_cast<int32_t>(b)) {
            AddReport(reports, "ReadZym: bone %u has parent %d, not one before it", b, parent);
            return false;
        }
        file.bones.push_back({in.Name(at, 32), parent});
    }
    return true;
}

bool ReadPoses(const BigEndian& in, const Header& h, ZymFile& file, Reports& reports)
{
    const Lump& lump = h.lumps[kPoses];
    file.poseCount = static_cast<uint32_t>(lump.length / kPoseSize / h.bones);
    if (file.poseCount == 0 || !LumpFits(in, lump, uint64_t(file.poseCount) * h.bones, kPoseSize)) {
        AddReport(reports, "ReadZym: no pose of the %u bones fits the file", h.bones);
        return false;
    }
    for (uint64_t i = 0; i < uint64_t(file.poseCount) * h.bones * 12; ++i)
        file.poses.push_back(in.F32(lump.start + 4 * i));
    if (h.scenes == 0 || !LumpFits(in, h.lumps[kScenes], h.scenes, kSceneSize)) {
        AddReport(reports, "ReadZym: %u scenes do not fit their lump", h.scenes);
        return false;
    }
    uint64_t played = 0;  // scenes may play the same poses again: what they play together is held to a budget
    for (uint32_t s = 0; s < h.scenes; ++s) {
        size_t at = h.lumps[kScenes].start + size_t(s) * kSceneSize;
        ZymScene scene{in.Name(at, 32), in.U32(at + 68), in.U32(at + 72), in.F32(at + 60), (in.U32(at + 64) & 1) == 0};
        if (scene.first >= file.poseCount || scene.count > file.poseCount - scene.first || scene.fps < 0) {
            AddReport(reports, "ReadZym: scene %u (\"%s\") runs past the %u poses or plays backwards", s,
                      scene.name.c_str(), file.poseCount);
            return false;
        }
        played += uint64_t(scene.count) * h.bones;
        if (played > kMaxScenePoses) {
            AddReport(reports, "ReadZym: the scenes play more than %u bone poses", kMaxScenePoses);
            return false;
        }
        file.scenes.push_back(scene);
    }
    return true;
}

bool ReadVertices(const BigEndian& in, const Header& h, ZymFile& file, Reports& reports)
{
    if (h.vertices < 3 || !LumpFits(in, h.lumps[kBoneCounts], h.vertices, 4) ||
        !LumpFits(in, h.lumps[kVertices], h.vertices, 16) || !LumpFits(in, h.lumps[kTexCoords], h.vertices, 8)) {
        AddReport(reports, "ReadZym: %u vertices do not fit their lumps", h.vertices);
        return false;
    }
    for (uint32_t v = 0; v < h.vertices; ++v) {
        uint32_t bone = in.U32(h.lumps[kVertices].start + 16 * size_t(v));
        if (in.U32(h.lumps[kBoneCounts].start + 4 * size_t(v)) != 1 || bone >= h.bones) {
            AddReport(reports, "ReadZym: vertex %u is not on one bone of the %u (DarkPlaces takes no other)", v,
                      h.bones);
            return false;
        }
        file.vertexBones.push_back(bone);
        for (int a = 0; a < 3; ++a)
            file.origins.push_back(in.F32(h.lumps[kVertices].start + 16 * size_t(v) + 4 + 4 * a));
        for (int a = 0; a < 2; ++a)
            file.texCoords.push_back(in.F32(h.lumps[kTexCoords].start + 8 * size_t(v) + 4 * a));
    }
    return true;
}

// The render list: a shader after another, the count of its triangles and their indices.
bool ReadTriangles(const BigEndian& in, const Header& h, ZymFile& file, Reports& reports)
{
    const Lump& render = h.lumps[kRender];
    if (h.shaders == 0 || !LumpFits(in, h.lumps[kShaders], h.shaders, 32) ||
        uint64_t(render.length) != uint64_t(h.shaders) * 4 + uint64_t(h.triangles) * 12 ||
        !in.Fits(render.start, render.length, 1)) {
        AddReport(reports, "ReadZym: the render list is not the size of %u shaders' %u triangles", h.shaders,
                  h.triangles);
        return false;
    }
    size_t at = render.start, end = size_t(render.start) + render.length;
    for (uint32_t s = 0; s < h.shaders; ++s) {
        file.shaders.push_back(in.Name(h.lumps[kShaders].start + 32 * size_t(s), 32));
        uint32_t count = at + 4 <= end ? in.U32(at) : UINT32_MAX;
        at += 4;
        if (count > (end - std::min(at, end)) / 12) {
            AddReport(reports, "ReadZym: shader %u's triangles run past the render list", s);
            return false;
        }
        std::vector<uint32_t>& triangles = file.triangles.emplace_back();
        for (uint32_t i = 0; i < 3 * count; ++i, at += 4) {
            triangles.push_back(in.U32(at));
            if (triangles.back() >= h.vertices) {
                AddReport(reports, "ReadZym: shader %u's triangles name vertex %u of %u", s, triangles.back(),
                          h.vertices);
                return false;
            }
        }
    }
    return true;
}

}  // namespace

std::unique_ptr<ZymFile> ReadZym(const std::vector<uint8_t>& bytes, Reports& reports)
{
    BigEndian in(bytes);
    if (bytes.size() < kZymHeaderSize || memcmp(bytes.data(), "ZYMOTICMODEL", 12) != 0 || in.U32(12) != 1) {
        AddReport(reports, "ReadZym: not a Zymotic model of type 1");
        return nullptr;
    }
    Header h{in.U32(48), in.U32(52), in.U32(56), in.U32(60), in.U32(64), {}};
    for (int l = 0; l < kLumps; ++l)
        h.lumps[l] = {in.U32(68 + 8 * l), in.U32(72 + 8 * l)};
    auto file = std::make_unique<ZymFile>();
    if (!ReadBones(in, h, *file, reports) || !ReadPoses(in, h, *file, reports) ||
        !ReadVertices(in, h, *file, reports) || !ReadTriangles(in, h, *file, reports))
        return nullptr;
    return file;
}
