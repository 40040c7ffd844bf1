#include "formats/dpm.h"

#include <cmath>
#include <cstring>

#include "formats/byte_order.h"

namespace {

struct Header {
    uint32_t bones, meshes, frames, ofsBones, ofsMeshes, ofsFrames;
};

constexpr size_t kBoneSize = 40, kMeshSize = 56, kFrameSize = 68, kInfluenceSize = 32, kPoseSize = 48;

bool ReadBones(const BigEndian& in, const Header& h, DpmFile& file, Reports& reports)
{
    if (h.bones == 0 || !in.Fits(h.ofsBones, h.bones, kBoneSize)) {
        AddReport(reports, "ReadDpm: %u bones at %u do not fit the file", h.bones, h.ofsBones);
        return false;
    }
    for (uint32_t b = 0; b < h.bones; ++b) {
        size_t at = h.ofsBones + size_t(b) * kBoneSize;
        int32_t parent = static_cast<int32_t>(in.U32(at + 32));
        if (parent < -1 || parent >= static_cast<int32_t>(b)) {
            AddReport(reports, "ReadDpm: bone %u has parent %d, not one before it", b, parent);
            return false;
        }
        file.bones.push_back({in.Name(at, 32), parent, in.U32(at + 36)});
    }
    return true;
}

bool ReadInfluences(const BigEndian& in, uint32_t vertices, uint32_t bones, uint64_t at, DpmMesh& mesh)
{
    for (uint32_t v = 0; v < vertices; ++v) {
        if (!in.Fits(at, 1, 4))
            return false;
        uint32_t count = in.U32(at);
        at += 4;
        if (count == 0 || !in.Fits(at, count, kInfluenceSize))
            return false;
        mesh.firstInfluence.push_back(static_cast<uint32_t>(mesh.influences.size()));
        for (uint32_t k = 0; k < count; ++k, at += kInfluenceSize) {
            DpmInfluence i;
            for (int a = 0; a < 3; ++a)
                i.origin[a] = in.F32(at + 4 * a), i.normal[a] = in.F32(at + 16 + 4 * a);
            i.influence = in.F32(at + 12), i.bone = in.U32(at + 28);
            if (i.bone >= bones)
                return false;
            mesh.influences.push_back(i);
        }
    }
    mesh.firstInfluence.push_back(static_cast<uint32_t>(mesh.influences.size()));
    return true;
}

bool ReadMesh(const BigEndian& in, size_t at, uint32_t bones, DpmMesh& mesh, Reports& reports, uint32_t m)
{
    mesh.shader = in.Name(at, 32);
    uint32_t vertices = in.U32(at + 32), triangles = in.U32(at + 36);
    uint32_t ofsVerts = in.U32(at + 40), ofsTexCoords = in.U32(at + 44), ofsIndices = in.U32(at + 48);
    if (!in.Fits(ofsTexCoords, vertices, 8) || !in.Fits(ofsIndices, uint64_t(triangles) * 3, 4) ||
        !in.Fits(ofsVerts, vertices, 4 + kInfluenceSize)) {
        AddReport(reports, "ReadDpm: mesh %u's %u vertices or %u triangles do not fit the file", m, vertices,
                  triangles);
        return false;
    }
    if (!ReadInfluences(in, vertices, bones, ofsVerts, mesh)) {
        AddReport(reports, "ReadDpm: mesh %u has a vertex of no bone, a bone past the %u, or runs past the file", m,
                  bones);
        return false;
    }
    for (uint32_t i = 0; i < 2 * vertices; ++i)
        mesh.texCoords.push_back(in.F32(ofsTexCoords + 4 * size_t(i)));
    for (uint32_t i = 0; i < 3 * triangles; ++i) {
        uint32_t index = in.U32(ofsIndices + 4 * size_t(i));
        if (index >= vertices) {
            AddReport(reports, "ReadDpm: mesh %u's triangle %u names vertex %u of %u", m, i / 3, index, vertices);
            return false;
        }
        mesh.triangles.push_back(index);
    }
    return true;
}

bool ReadFrames(const BigEndian& in, const Header& h, DpmFile& file, Reports& reports)
{
    if (h.frames == 0 || !in.Fits(h.ofsFrames, h.frames, kFrameSize)) {
        AddReport(reports, "ReadDpm: %u frames at %u do not fit the file", h.frames, h.ofsFrames);
        return false;
    }
    for (uint32_t f = 0; f < h.frames; ++f) {
        size_t at = h.ofsFrames + size_t(f) * kFrameSize;
        DpmFrame frame;
        frame.name = in.Name(at, 32);
        for (int a = 0; a < 3; ++a)
            frame.mins[a] = in.F32(at + 32 + 4 * a), frame.maxs[a] = in.F32(at + 44 + 4 * a);
        uint32_t poses = in.U32(at + 64);
        if (!in.Fits(poses, h.bones, kPoseSize)) {
            AddReport(reports, "ReadDpm: frame %u's bone poses at %u do not fit the file", f, poses);
            return false;
        }
        for (uint32_t i = 0; i < 12 * h.bones; ++i)
            frame.poses.push_back(in.F32(poses + 4 * size_t(i)));
        file.frames.push_back(std::move(frame));
    }
    return true;
}

}  // namespace

std::unique_ptr<DpmFile> ReadDpm(const std::vector<uint8_t>& bytes, Reports& reports)
{
    BigEndian in(bytes);
    if (bytes.size() < kDpmHeaderSize || memcmp(bytes.data(), "DARKPLACESMODEL\0", 16) != 0 || in.U32(16) != 2) {
        AddReport(reports, "ReadDpm: not a DarkPlaces model of type 2");
        return nullptr;
    }
    Header h{in.U32(56), in.U32(60), in.U32(64), in.U32(68), in.U32(72), in.U32(76)};
    auto file = std::make_unique<DpmFile>();
    if (!ReadBones(in, h, *file, reports))
        return nullptr;
    if (h.meshes == 0 || !in.Fits(h.ofsMeshes, h.meshes, kMeshSize)) {
        AddReport(reports, "ReadDpm: %u meshes at %u do not fit the file", h.meshes, h.ofsMeshes);
        return nullptr;
    }
    for (uint32_t m = 0; m < h.meshes; ++m)
        if (!ReadMesh(in, h.ofsMeshes + size_t(m) * kMeshSize, h.bones, file->meshes.emplace_back(), reports, m))
            return nullptr;
    // Each frame's poses are its own bytes: more than the file holds is a lie.
    if (uint64_t(h.frames) * h.bones * kPoseSize > bytes.size()) {
        AddReport(reports, "ReadDpm: %u frames of %u bones are more than the file holds", h.frames, h.bones);
        return nullptr;
    }
    if (!ReadFrames(in, h, *file, reports))
        return nullptr;
    return file;
}
