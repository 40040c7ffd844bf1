#include "geometry/pose.h"

#include <algorithm>

#include "formats/vertex_normals.h"

namespace {

// Where a window frame's normals come from: each vertex's own, or the
// normals worked out from the frame's triangles.
template <typename Vertex>
struct FrameNormals {
    const Vertex* vertices;
    const float* computed;  // three a vertex, or null
};

inline const float* OwnNormal(const PackedVertex& v)
{
    static const float kNoNormal[3] = {0.0f, 0.0f, 0.0f};
    return v.normalIndex < kNumVertexNormals ? vertexNormalTable[v.normalIndex] : kNoNormal;
}

inline const float* OwnNormal(const ShortVertex& v)
{
    static const float* const table = LatLongNormalTable();
    return table + 3 * v.normal;
}

inline const float* OwnNormal(const FloatVertex& v)
{
    return v.normal;
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
                const float scale[3], const float translate[3], const InterpolationWeights& w, bool normals,
                std::vector<DecodedVertex>& decoded)
{
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

// Cubic from terms kept between draws: worked out when the window changes
// (a step), then only evaluated while t moves between steps.
template <typename Vertex>
void DecodeCubicKept(const Vertex* const frames[4], const FrameNormals<Vertex>* normalFrames, int numVerts,
                     const float scale[3], const float translate[3], const InterpolationWeights& w, bool normals,
                     PoseCache& kept, std::vector<DecodedVertex>& decoded)
{
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

// Decodes every vertex of the window once per draw, by the interpolation
// method; the primitives then index the result.
template <typename Vertex>
void DecodeVertices(uint8_t method, const Vertex* const frames[4], const FrameNormals<Vertex>* normalFrames,
                    int numVerts, const float scale[3], const float translate[3], float t, bool normals,
                    PoseCache* kept, std::vector<DecodedVertex>& decoded)
{
    decoded.resize(numVerts);
    switch (method) {
    case 0:
        return DecodeWith<0>(frames, normalFrames, numVerts, scale, translate, InterpolationWeights{}, normals,
                             decoded);
    case 1:
        return DecodeWith<1>(frames, normalFrames, numVerts, scale, translate, InterpolationWeights{t, 0, 0},
                             normals, decoded);
    case 2:
        if (kept)
            return DecodeCubicKept(frames, normalFrames, numVerts, scale, translate, WeightsFor(t), normals, *kept,
                                   decoded);
        return DecodeWith<2>(frames, normalFrames, numVerts, scale, translate, WeightsFor(t), normals, decoded);
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

const FrameTransform& TransformOf(const VertexFrames& frames, int frame)
{
    return frames.transformPerFrame ? frames.transforms[frame] : frames.transforms[0];
}

// The normals of each window frame: the vertices' own, or, for a frame whose
// file gives none, its own triangles' (kept for the next draws).
template <typename Vertex>
void WindowNormals(const DrawnPart& part, int partIndex, const int window[4], const Vertex* const frames[4],
                   std::shared_ptr<ComputedNormals>& computed, FrameNormals<Vertex> out[4])
{
    const VertexFrames& stored = part.frames;
    int keys[4];
    for (int k = 0; k < 4; ++k)
        keys[k] = window[k] + 65536 * partIndex;
    for (int k = 0; k < 4; ++k) {
        out[k] = {frames[k], nullptr};
        if (!stored.lacksNormals[window[k]])
            continue;
        if (!computed)
            computed = std::make_shared<ComputedNormals>();
        ComputedNormals& kept = *computed;
        if ((out[k].computed = KeptNormals(kept, keys[k])))
            continue;
        const FrameTransform& transform = TransformOf(stored, window[k]);
        int count = stored.vertexCount;
        std::vector<float> positions(3 * static_cast<size_t>(count));
        for (int v = 0; v < count; ++v)
            for (int a = 0; a < 3; ++a)
                positions[3 * v + a] = transform.scale[a] * Coordinate(frames[k][v], a) + transform.translate[a];
        std::vector<float>& normals = KeepNormals(kept, keys[k], keys);
        normals.resize(positions.size());
        NormalsFromTriangles(positions.data(), count, part.corners, normals.data());
        out[k].computed = normals.data();
    }
}

template <typename Vertex>
void PoseStored(const DrawnPart& part, int partIndex, const int window[4], float t, uint8_t method, bool normals,
                std::shared_ptr<ComputedNormals>& computed, PoseCache* cache, std::vector<DecodedVertex>& out)
{
    const VertexFrames& stored = part.frames;
    const Vertex* frames[4];
    for (int k = 0; k < 4; ++k)
        frames[k] = reinterpret_cast<const Vertex*>(stored.first + stored.stride * window[k]);
    float scale[3], translate[3];
    for (int a = 0; a < 3; ++a) {
        if (!stored.transformPerFrame) {
            scale[a] = stored.transforms[0].scale[a], translate[a] = stored.transforms[0].translate[a];
            continue;
        }
        // Each frame's own scale and translate are blended like the coordinates.
        float s[4], d[4];
        for (int k = 0; k < 4; ++k)
            s[k] = stored.transforms[window[k]].scale[a], d[k] = stored.transforms[window[k]].translate[a];
        scale[a] = Interpolate(s, t, method);
        translate[a] = Interpolate(d, t, method);
    }
    FrameNormals<Vertex> normalFrames[4] = {};
    if (normals)
        WindowNormals(part, partIndex, window, frames, computed, normalFrames);
    DecodeVertices(method, frames, normalFrames, stored.vertexCount, scale, translate, t, normals, cache, out);
}

// One frame exactly: its positions, and its own normals or its triangles'.
template <typename Vertex>
void DecodeOneFrame(const DrawnPart& part, int frame, std::vector<float>& positions, std::vector<float>& normals)
{
    const VertexFrames& stored = part.frames;
    const Vertex* vertices = reinterpret_cast<const Vertex*>(stored.first + stored.stride * frame);
    const FrameTransform& transform = TransformOf(stored, frame);
    int count = stored.vertexCount;
    positions.resize(3 * static_cast<size_t>(count));
    normals.resize(positions.size());
    for (int v = 0; v < count; ++v)
        for (int a = 0; a < 3; ++a)
            positions[3 * v + a] = transform.scale[a] * Coordinate(vertices[v], a) + transform.translate[a];
    if (stored.lacksNormals[frame])
        return NormalsFromTriangles(positions.data(), count, part.corners, normals.data());
    for (int v = 0; v < count; ++v)
        std::copy(OwnNormal(vertices[v]), OwnNormal(vertices[v]) + 3, &normals[3 * v]);
}

bool IsZero(const float* n)
{
    return n[0] == 0.0f && n[1] == 0.0f && n[2] == 0.0f;
}

// Zero normals made unit: the triangles', else up (the file's z).
void MakeUnit(const DrawnPart& part, const std::vector<float>& positions, std::vector<float>& normals)
{
    std::vector<float> fromTriangles;
    int count = static_cast<int>(positions.size() / 3);
    for (int v = 0; v < count; ++v) {
        float* n = &normals[3 * v];
        if (!IsZero(n))
            continue;
        if (fromTriangles.empty()) {
            fromTriangles.resize(normals.size());
            NormalsFromTriangles(positions.data(), count, part.corners, fromTriangles.data());
        }
        const float up[3] = {0, 0, 1};
        const float* use = IsZero(&fromTriangles[3 * v]) ? up : &fromTriangles[3 * v];
        std::copy(use, use + 3, n);
    }
}

// A skeletal part: its joints blended, then its bind-pose vertices skinned from them.
void PoseSkinned(const DrawnPart& part, const int window[4], float t, uint8_t method, bool normals,
                 std::vector<DecodedVertex>& out)
{
    const SkinnedVertices& v = part.skinned;
    std::vector<Matrix34> skin = SkinningMatrices(*part.skeleton, BlendPoses(*part.skeleton, window, t, method));
    out.resize(v.count);
    for (int i = 0; i < v.count; ++i) {
        float p[3] = {0, 0, 0}, n[3] = {0, 0, 0};
        for (int k = 0; k < 4; ++k) {
            float w = v.weights[4 * i + k];
            uint16_t joint = v.joints[4 * i + k];
            if (w == 0.0f || joint >= skin.size())
                continue;
            float moved[3];
            TransformPoint(skin[joint], &v.positions[3 * i], moved);
            for (int a = 0; a < 3; ++a)
                p[a] += w * moved[a];
            if (!normals)
                continue;
            TransformNormal(skin[joint], &v.normals[3 * i], moved);
            for (int a = 0; a < 3; ++a)
                n[a] += w * moved[a];
        }
        std::copy(p, p + 3, out[i].position);
        std::copy(n, n + 3, out[i].normal);
    }
}

}  // namespace

void PosePart(const DrawnPart& part, int partIndex, const int window[4], float t, uint8_t method, bool normals,
              std::shared_ptr<ComputedNormals>& computed, PoseCache* cache, std::vector<DecodedVertex>& out)
{
    if (t > 1.0f)
        t = 1.0f;
    if (part.skeleton)
        return PoseSkinned(part, window, t, method, normals, out);
    const VertexFrames& stored = part.frames;
    int frames[4];
    for (int k = 0; k < 4; ++k)
        frames[k] = window[k] >= 0 && window[k] < stored.frameCount ? window[k] : 0;
    if (stored.frameCount <= 0 || !stored.first) {
        out.assign(static_cast<size_t>(std::max(stored.vertexCount, 0)), DecodedVertex{});
        return;
    }
    if (stored.storage == VertexStorage::kShorts)
        PoseStored<ShortVertex>(part, partIndex, frames, t, method, normals, computed, cache, out);
    else if (stored.storage == VertexStorage::kFloats)
        PoseStored<FloatVertex>(part, partIndex, frames, t, method, normals, computed, cache, out);
    else
        PoseStored<PackedVertex>(part, partIndex, frames, t, method, normals, computed, cache, out);
}

void PoseFrame(const DrawnPart& part, int frame, bool unitNormals, std::vector<float>& positions,
               std::vector<float>& normals)
{
    const VertexFrames& stored = part.frames;
    if (!part.skeleton)
        frame = frame >= 0 && frame < stored.frameCount ? frame : 0;
    if (part.skeleton) {
        std::vector<DecodedVertex> posed;
        const int window[4] = {frame, frame, frame, frame};
        PoseSkinned(part, window, 0.0f, 0, true, posed);
        positions.resize(3 * posed.size()), normals.resize(3 * posed.size());
        for (size_t v = 0; v < posed.size(); ++v)
            for (int a = 0; a < 3; ++a)
                positions[3 * v + a] = posed[v].position[a], normals[3 * v + a] = posed[v].normal[a];
    } else if (stored.frameCount <= 0 || !stored.first) {
        positions.assign(3 * static_cast<size_t>(std::max(stored.vertexCount, 0)), 0.0f);
        normals = positions;
    } else if (stored.storage == VertexStorage::kShorts) {
        DecodeOneFrame<ShortVertex>(part, frame, positions, normals);
    } else if (stored.storage == VertexStorage::kFloats) {
        DecodeOneFrame<FloatVertex>(part, frame, positions, normals);
    } else {
        DecodeOneFrame<PackedVertex>(part, frame, positions, normals);
    }
    if (unitNormals)
        MakeUnit(part, positions, normals);
}
