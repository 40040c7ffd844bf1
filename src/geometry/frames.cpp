#include "geometry/frames.h"

#include <algorithm>

#include "formats/vertex_normals.h"
#include "geometry/normals.h"

namespace {

bool IsZero(const float* n)
{
    return n[0] == 0.0f && n[1] == 0.0f && n[2] == 0.0f;
}

// Zero normals made unit: the triangles', else up (the file's z).
void MakeUnit(DecodedFrame& frame, int count, const std::vector<uint32_t>& corners)
{
    std::vector<float> fromTriangles;
    for (int v = 0; v < count; ++v) {
        float* n = &frame.normals[3 * v];
        if (!IsZero(n))
            continue;
        if (fromTriangles.empty()) {
            fromTriangles.resize(frame.normals.size());
            NormalsFromTriangles(frame.positions.data(), count, corners, fromTriangles.data());
        }
        const float up[3] = {0, 0, 1};
        const float* use = IsZero(&fromTriangles[3 * v]) ? up : &fromTriangles[3 * v];
        std::copy(use, use + 3, n);
    }
}

const float* OwnNormal(const PackedVertex& v)
{
    static const float kNone[3] = {0, 0, 0};
    return v.normalIndex < kNumVertexNormals ? vertexNormalTable[v.normalIndex] : kNone;
}

const float* OwnNormal(const Md3Vertex& v)
{
    return Md3NormalTable() + 3 * v.normal;
}

template <typename Vertex>
DecodedFrame Decode(const Vertex* vertices, int count, const float scale[3], const float translate[3],
                    const std::vector<uint32_t>& corners, bool unitNormals)
{
    DecodedFrame out;
    out.positions.resize(3 * static_cast<size_t>(count));
    out.normals.resize(out.positions.size());
    for (int v = 0; v < count; ++v) {
        const float coordinates[3] = {static_cast<float>(vertices[v].x), static_cast<float>(vertices[v].y),
                                      static_cast<float>(vertices[v].z)};
        for (int a = 0; a < 3; ++a)
            out.positions[3 * v + a] = scale[a] * coordinates[a] + translate[a];
    }
    if (FrameLacksNormals(vertices, count)) {
        NormalsFromTriangles(out.positions.data(), count, corners, out.normals.data());
    } else {
        for (int v = 0; v < count; ++v)
            std::copy(OwnNormal(vertices[v]), OwnNormal(vertices[v]) + 3, &out.normals[3 * v]);
    }
    if (unitNormals)
        MakeUnit(out, count, corners);
    return out;
}

}  // namespace

DecodedFrame DecodeMd2Frame(const Md2File& file, int frame, const std::vector<uint32_t>& corners, bool unitNormals)
{
    Md2FrameHeader header = Md2FrameHeaderAt(file, frame);
    return Decode(Md2FrameVertices(file, frame), file.header.numXyz, header.scale, header.translate, corners,
                  unitNormals);
}

DecodedFrame DecodeMdlFrame(const MdlFile& file, int frame, const std::vector<uint32_t>& corners, bool unitNormals)
{
    return Decode(MdlFrameVertices(file, frame), file.header.numVerts, file.header.scale, file.header.translate,
                  corners, unitNormals);
}

DecodedFrame DecodeMd3Frame(const Md3Surface& surface, int frame, const std::vector<uint32_t>& corners,
                            bool unitNormals)
{
    const float scale[3] = {1 / 64.0f, 1 / 64.0f, 1 / 64.0f}, translate[3] = {0, 0, 0};
    return Decode(Md3FrameVertices(surface, frame), surface.numVertices, scale, translate, corners, unitNormals);
}
