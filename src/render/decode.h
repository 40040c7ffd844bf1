#pragma once

// Decoding a frame window into positions and normals, the same loops for
// every vertex kind: MD2 and MDL's packed bytes and MD3's 16-bit vertices.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "formats/frame_types.h"
#include "formats/md3.h"
#include "formats/vertex_normals.h"
#include "render/frame_arrays.h"
#include "render/interpolate.h"

struct DecodedVertex {
    float position[3];
    float normal[3];
};

// Where a window frame's normals come from: each vertex's own, or the
// normals worked out from the frame's triangles.
template <typename Vertex>
struct FrameNormals {
    const Vertex* vertices;
    const float* computed;  // three a vertex, or null
};

// One decoded vertex per frame vertex, reused between draws.
std::vector<DecodedVertex>& DecodedVertices();

inline const float* OwnNormal(const PackedVertex& v)
{
    static const float kNoNormal[3] = {0.0f, 0.0f, 0.0f};
    return v.normalIndex < kNumVertexNormals ? vertexNormalTable[v.normalIndex] : kNoNormal;
}

inline const float* OwnNormal(const Md3Vertex& v)
{
    return Md3NormalTable() + 3 * v.normal;
}

template <typename Vertex>
inline const float* NormalOf(const FrameNormals<Vertex>& frame, int v)
{
    return frame.computed ? frame.computed + 3 * v : OwnNormal(frame.vertices[v]);
}

template <typename Vertex>
inline float Coordinate(const Vertex& v, int axis)
{
    return axis == 0 ? v.x : axis == 1 ? v.y : v.z;
}

// One value of the four window frames combined by the method; the method
// is chosen once per draw, so the loops below inline it.
template <uint8_t Method>
float Combine(float p0, float p1, float p2, float p3, const InterpolationWeights& w)
{
    if (Method == 0)
        return p2;
    if (Method == 1)
        return InterpolateLinear(p2, p3, w);
    return InterpolateCubic(p0, p1, p2, p3, w);
}

template <uint8_t Method, typename Vertex>
void DecodeWith(const Vertex* const frames[4], const FrameNormals<Vertex>* normalFrames, int numVerts,
                const float scale[3], const float translate[3], const InterpolationWeights& w, bool normals)
{
    std::vector<DecodedVertex>& decoded = DecodedVertices();
    for (int v = 0; v < numVerts; ++v) {
        DecodedVertex& out = decoded[v];
        const Vertex &a = frames[0][v], &b = frames[1][v], &c = frames[2][v], &d = frames[3][v];
        out.position[0] = scale[0] * Combine<Method>(a.x, b.x, c.x, d.x, w) + translate[0];
        out.position[1] = scale[1] * Combine<Method>(a.y, b.y, c.y, d.y, w) + translate[1];
        out.position[2] = scale[2] * Combine<Method>(a.z, b.z, c.z, d.z, w) + translate[2];
        if (!normals)
            continue;
        const float *na = NormalOf(normalFrames[0], v), *nb = NormalOf(normalFrames[1], v),
                    *nc = NormalOf(normalFrames[2], v), *nd = NormalOf(normalFrames[3], v);
        for (int k = 0; k < 3; ++k)
            out.normal[k] = Combine<Method>(na[k], nb[k], nc[k], nd[k], w);
    }
}

// Cubic from terms kept with the model's arrays: worked out when the window
// changes (a step), then only evaluated while t moves between steps.
template <typename Vertex>
void DecodeCubicKept(const Vertex* const frames[4], const FrameNormals<Vertex>* normalFrames, int numVerts,
                     const float scale[3], const float translate[3], const InterpolationWeights& w, bool normals,
                     FrameGeometry& kept)
{
    std::vector<DecodedVertex>& decoded = DecodedVertices();
    int values = normals ? 6 : 3;
    bool same = kept.cubicNormals == normals && kept.cubicTerms.size() == size_t(numVerts) * values;
    for (int k = 0; k < 4; ++k)
        same = same && kept.cubicWindow[k] == frames[k];
    if (!same) {
        kept.cubicTerms.resize(size_t(numVerts) * values);
        for (int v = 0; v < numVerts; ++v) {
            CubicTerms* terms = &kept.cubicTerms[size_t(v) * values];
            const Vertex &a = frames[0][v], &b = frames[1][v], &c = frames[2][v], &d = frames[3][v];
            terms[0] = CubicTermsOf(a.x, b.x, c.x, d.x);
            terms[1] = CubicTermsOf(a.y, b.y, c.y, d.y);
            terms[2] = CubicTermsOf(a.z, b.z, c.z, d.z);
            if (!normals)
                continue;
            const float *na = NormalOf(normalFrames[0], v), *nb = NormalOf(normalFrames[1], v),
                        *nc = NormalOf(normalFrames[2], v), *nd = NormalOf(normalFrames[3], v);
            for (int k = 0; k < 3; ++k)
                terms[3 + k] = CubicTermsOf(na[k], nb[k], nc[k], nd[k]);
        }
        std::copy(frames, frames + 4, kept.cubicWindow);
        kept.cubicNormals = normals;
    }
    for (int v = 0; v < numVerts; ++v) {
        const CubicTerms* terms = &kept.cubicTerms[size_t(v) * values];
        DecodedVertex& out = decoded[v];
        for (int a = 0; a < 3; ++a)
            out.position[a] = scale[a] * EvaluateCubic(terms[a], w) + translate[a];
        if (normals)
            for (int a = 0; a < 3; ++a)
                out.normal[a] = EvaluateCubic(terms[3 + a], w);
    }
}

// Decodes every vertex of the window once per draw, by the viewer's
// interpolation method; the primitives then index the result.
template <typename Vertex>
void DecodeVertices(uint8_t method, const Vertex* const frames[4], const FrameNormals<Vertex>* normalFrames,
                    int numVerts, const float scale[3], const float translate[3], float t, bool normals,
                    FrameGeometry* kept)
{
    std::vector<DecodedVertex>& decoded = DecodedVertices();
    decoded.resize(numVerts);
    switch (method) {
    case 0:
        return DecodeWith<0>(frames, normalFrames, numVerts, scale, translate, InterpolationWeights{}, normals);
    case 1:
        return DecodeWith<1>(frames, normalFrames, numVerts, scale, translate, InterpolationWeights{t, 0, 0},
                             normals);
    case 2:
        if (kept)
            return DecodeCubicKept(frames, normalFrames, numVerts, scale, translate, WeightsFor(t), normals, *kept);
        return DecodeWith<2>(frames, normalFrames, numVerts, scale, translate, WeightsFor(t), normals);
    }
    // An unknown method: every value goes through Interpolate, which reports it.
    for (int v = 0; v < numVerts; ++v) {
        DecodedVertex& out = decoded[v];
        for (int a = 0; a < 3; ++a) {
            float p[4];
            for (int k = 0; k < 4; ++k)
                p[k] = Coordinate(frames[k][v], a);
            out.position[a] = scale[a] * Interpolate(p, t, method) + translate[a];
            out.normal[a] = 0.0f;
            if (!normals)
                continue;
            for (int k = 0; k < 4; ++k)
                p[k] = NormalOf(normalFrames[k], v)[a];
            out.normal[a] = Interpolate(p, t, method);
        }
    }
}
