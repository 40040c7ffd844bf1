#include "formats/mdc.h"

#include <array>
#include <cmath>
#include <cstring>

#include "formats/byte_order.h"
#include "formats/vertex_normals.h"

namespace {

constexpr size_t kFrameSize = 56, kTagNameSize = 64, kTagSize = 12, kShaderSize = 68;
// Compressed frames take a quarter of a base frame's bytes but decode to
// six times them: every surface's decoded vertices together are held to
// this (the engines take 1000 vertices a surface).
constexpr uint64_t kMaxDecodedVertices = 1 << 24;
constexpr float kOffsetStep = 0.05f, kOffsetZero = 127.0f, kTagAngleStep = 360.0f / 32700.0f;

struct Header {
    uint32_t frames, tags, surfaces, ofsFrames, ofsTagNames, ofsTags, ofsSurfaces;
};

bool Fault(Reports& reports, const char* text, uint32_t a = 0, uint32_t b = 0)
{
    AddReport(reports, text, a, b);
    return false;
}

// The engine's normals ring by ring from the equator down, then up: ring r
// at height sin(r/16 of a half turn), 32 - 4r round it.
std::array<std::array<float, 3>, 256> MakeNormals()
{
    std::array<std::array<float, 3>, 256> table{};
    size_t at = 0;
    for (int half = 0; half < 2; ++half)
        for (int ring = half; ring < 8; ++ring) {
            double up = ring * M_PI / 16, z = (half ? 1 : -1) * std::sin(up);
            int count = 32 - 4 * ring;
            for (int k = 0; k < count; ++k) {
                double around = 2 * M_PI * k / count;
                table[at++] = {float(std::cos(up) * std::cos(around)), float(std::cos(up) * std::sin(around)),
                               float(z)};
            }
        }
    return table;
}

bool ReadFrames(const LittleEndian& in, const Header& h, Md3File& file, Reports& reports)
{
    if (!in.Fits(h.ofsFrames, h.frames, kFrameSize))
        return Fault(reports, "ReadMdc: %u frames at %u do not fit the file", h.frames, h.ofsFrames);
    for (uint32_t f = 0; f < h.frames; ++f) {
        size_t at = h.ofsFrames + f * kFrameSize;
        Md3Frame frame;
        for (int a = 0; a < 3; ++a)
            frame.min[a] = in.F32(at + 4 * a), frame.max[a] = in.F32(at + 12 + 4 * a),
            frame.origin[a] = in.F32(at + 24 + 4 * a);
        frame.radius = in.F32(at + 36);
        frame.name = in.Name(at + 40, 16);
        file.frames.push_back(frame);
    }
    return true;
}

// The axes Quake makes of pitch, yaw and roll in degrees: forward, left, up.
void AnglesAxes(const float angles[3], float axis[3][3])
{
    const double k = M_PI / 180;
    double sp = std::sin(angles[0] * k), cp = std::cos(angles[0] * k), sy = std::sin(angles[1] * k),
           cy = std::cos(angles[1] * k), sr = std::sin(angles[2] * k), cr = std::cos(angles[2] * k);
    const double rows[3][3] = {{cp * cy, cp * sy, -sp},
                               {sr * sp * cy - cr * sy, sr * sp * sy + cr * cy, sr * cp},
                               {cr * sp * cy + sr * sy, cr * sp * sy - sr * cy, cr * cp}};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            axis[i][j] = static_cast<float>(rows[i][j]);
}

bool ReadTags(const LittleEndian& in, const Header& h, Md3File& file, Reports& reports)
{
    if (!in.Fits(h.ofsTagNames, h.tags, kTagNameSize) || !in.Fits(h.ofsTags, uint64_t(h.tags) * h.frames, kTagSize))
        return Fault(reports, "ReadMdc: %u tags at %u do not fit the file", h.tags, h.ofsTags);
    file.numTags = static_cast<int32_t>(h.tags);
    for (uint32_t i = 0; i < h.tags * h.frames; ++i) {
        size_t at = h.ofsTags + i * kTagSize;
        Md3Tag tag;
        tag.name = in.Name(h.ofsTagNames + (i % h.tags) * kTagNameSize, kTagNameSize);
        float angles[3];
        for (int a = 0; a < 3; ++a)
            tag.origin[a] = in.I16(at + 2 * a) / 64.0f, angles[a] = in.I16(at + 6 + 2 * a) * kTagAngleStep;
        AnglesAxes(angles, tag.axis);
        file.tags.push_back(tag);
    }
    return true;
}

struct Surface {
    uint32_t compressed, bases, shaders, vertices, triangles, ofsTriangles, ofsShaders, ofsSt, ofsBases,
        ofsCompressed, ofsFrameBases, ofsFrameCompressed, ofsEnd;
};

Surface ReadSurfaceHeader(const LittleEndian& in, size_t at)
{
    auto u = [&](size_t field) { return in.U32(at + field); };
    return {u(72), u(76), u(80), u(84), u(88), u(92), u(96), u(100), u(104), u(108), u(112), u(116), u(120)};
}

bool SurfaceFits(const LittleEndian& in, size_t at, const Surface& s, uint32_t frames)
{
    auto fits = [&](uint32_t offset, uint64_t count, uint64_t size) {
        return offset <= s.ofsEnd && count * size <= s.ofsEnd - offset && in.Fits(at + offset, count, size);
    };
    return s.ofsEnd >= kMdcSurfaceHeaderSize && in.Fits(at, 1, s.ofsEnd) && s.shaders <= kMd3MaxShaders &&
           s.vertices <= uint32_t(kMd3MaxVertices) && s.triangles <= uint32_t(kMd3MaxTriangles) && s.bases > 0 &&
           s.bases <= frames && s.compressed <= frames && fits(s.ofsTriangles, s.triangles, 12) &&
           fits(s.ofsShaders, s.shaders, kShaderSize) && fits(s.ofsSt, s.vertices, 8) &&
           fits(s.ofsBases, uint64_t(s.bases) * s.vertices, 8) &&
           fits(s.ofsCompressed, uint64_t(s.compressed) * s.vertices, 4) && fits(s.ofsFrameBases, frames, 2) &&
           (s.compressed == 0 || fits(s.ofsFrameCompressed, frames, 2));
}

// Every frame of a surface: its base frame's vertices, moved by the
// compressed frame's offsets where it has one.
bool DecodeFrames(const LittleEndian& in, size_t at, const Surface& s, uint32_t frames,
                  std::vector<FloatVertex>& out)
{
    for (uint32_t f = 0; f < frames; ++f) {
        int32_t base = in.I16(at + s.ofsFrameBases + 2 * f);
        int32_t compressed = s.compressed ? in.I16(at + s.ofsFrameCompressed + 2 * f) : -1;
        if (base < 0 || uint32_t(base) >= s.bases || compressed < -1 ||
            (compressed >= 0 && uint32_t(compressed) >= s.compressed))
            return false;
        for (uint32_t v = 0; v < s.vertices; ++v) {
            size_t xyz = at + s.ofsBases + 8 * (size_t(base) * s.vertices + v);
            FloatVertex vertex{in.I16(xyz) / 64.0f, in.I16(xyz + 2) / 64.0f, in.I16(xyz + 4) / 64.0f, {}};
            LatLongNormal(in.U16(xyz + 6), vertex.normal);
            if (compressed >= 0) {
                uint32_t offset = in.U32(at + s.ofsCompressed + 4 * (size_t(compressed) * s.vertices + v));
                vertex.x += (float(offset & 255) - kOffsetZero) * kOffsetStep;
                vertex.y += (float((offset >> 8) & 255) - kOffsetZero) * kOffsetStep;
                vertex.z += (float((offset >> 16) & 255) - kOffsetZero) * kOffsetStep;
                const float* normal = MdcNormal(static_cast<uint8_t>(offset >> 24));
                std::copy(normal, normal + 3, vertex.normal);
            }
            out.push_back(vertex);
        }
    }
    return true;
}

bool ReadSurface(const LittleEndian& in, size_t at, uint32_t frames, Md3Surface& surface,
                 std::vector<FloatVertex>& out)
{
    Surface s = ReadSurfaceHeader(in, at);
    if (!SurfaceFits(in, at, s, frames))
        return false;
    surface.name = in.Name(at + 4, 64);
    surface.numVertices = static_cast<int32_t>(s.vertices);
    for (uint32_t i = 0; i < s.shaders; ++i)
        surface.shaders.push_back(in.Name(at + s.ofsShaders + i * kShaderSize, 64));
    for (uint32_t i = 0; i < 3 * s.triangles; ++i) {
        uint32_t vertex = in.U32(at + s.ofsTriangles + 4 * size_t(i));
        if (vertex >= s.vertices)
            return false;
        surface.triangles.push_back(vertex);
    }
    for (uint32_t i = 0; i < 2 * s.vertices; ++i)
        surface.texCoords.push_back(in.F32(at + s.ofsSt + 4 * size_t(i)));
    return DecodeFrames(in, at, s, frames, out);
}

bool ReadSurfaces(const LittleEndian& in, const Header& h, MdcFile& file, Reports& reports)
{
    uint64_t at = h.ofsSurfaces, decoded = 0;
    for (uint32_t i = 0; i < h.surfaces; ++i) {
        if (in.Fits(at, 1, kMdcSurfaceHeaderSize) &&
            (decoded += uint64_t(in.U32(static_cast<size_t>(at) + 84)) * h.frames) > kMaxDecodedVertices)
            return Fault(reports, "ReadMdc: the surfaces decode to more than %u vertices", uint32_t(kMaxDecodedVertices));
        file.shape.surfaces.emplace_back();
        file.frames.emplace_back();
        if (!in.Fits(at, 1, kMdcSurfaceHeaderSize) ||
            !ReadSurface(in, static_cast<size_t>(at), h.frames, file.shape.surfaces.back(), file.frames.back()))
            return Fault(reports, "ReadMdc: surface %u at %u has a count, offset or frame past its end", i,
                         static_cast<uint32_t>(at));
        if (i == 0) {
            Surface s = ReadSurfaceHeader(in, static_cast<size_t>(at));
            file.baseFrames = static_cast<int32_t>(s.bases), file.compressedFrames = static_cast<int32_t>(s.compressed);
        }
        at += in.U32(static_cast<size_t>(at) + 120);
    }
    return true;
}

}  // namespace

const float* MdcNormal(uint8_t index)
{
    static const std::array<std::array<float, 3>, 256> normals = MakeNormals();
    return normals[index].data();
}

std::unique_ptr<MdcFile> ReadMdc(const std::vector<uint8_t>& bytes, Reports& reports)
{
    LittleEndian in(bytes);
    if (!in.Fits(0, 1, kMdcHeaderSize) || memcmp(bytes.data(), "IDPC", 4) != 0 || in.U32(4) != 2) {
        AddReport(reports, "ReadMdc: not a version 2 MDC model of %zu bytes", bytes.size());
        return nullptr;
    }
    auto u = [&](size_t at) { return in.U32(at); };
    Header h{u(76), u(80), u(84), u(92), u(96), u(100), u(104)};
    if (h.frames == 0 || h.frames > uint32_t(kMd3MaxFrames) || h.tags > uint32_t(kMd3MaxTags) ||
        h.surfaces > uint32_t(kMd3MaxSurfaces)) {
        AddReport(reports, "ReadMdc: %u frames, %u tags and %u surfaces, outside the engine's limits", h.frames, h.tags,
                  h.surfaces);
        return nullptr;
    }
    auto file = std::make_unique<MdcFile>();
    file->shape.name = in.Name(8, 64);
    if (!ReadFrames(in, h, file->shape, reports) || !ReadTags(in, h, file->shape, reports) ||
        !ReadSurfaces(in, h, *file, reports))
        return nullptr;
    return file;
}
