#include "render/draw.h"

#include <GL/gl.h>

#include <algorithm>
#include <vector>

#include "formats/md2.h"
#include "formats/mdl.h"
#include "formats/vertex_normals.h"
#include "geometry/normals.h"
#include "platform/error_log.h"
#include "render/animation.h"
#include "render/frame_arrays.h"
#include "render/interpolate.h"
#include "render/remesh.h"
#include "state/viewer_state.h"

namespace {

struct DecodedVertex {
    float position[3];
    float normal[3];
};

const float kNoNormal[3] = {0.0f, 0.0f, 0.0f};

// Reused between draws: one decoded vertex per frame vertex.
std::vector<DecodedVertex> decoded;
// The geometry a display list is compiled from; let go of when a remeshed draw made it large.
FrameGeometry scratch;
constexpr size_t kScratchKept = size_t(64) << 20;

const float* NormalAt(uint8_t index)
{
    return index < kNumVertexNormals ? vertexNormalTable[index] : kNoNormal;
}

// Where a window frame's normals come from: the table, by each vertex's
// index, or the normals worked out from the frame's triangles.
struct FrameNormals {
    const PackedVertex* vertices;
    const float* computed;  // three a vertex, or null
};

inline const float* NormalOf(const FrameNormals& frame, int v)
{
    return frame.computed ? frame.computed + 3 * v : NormalAt(frame.vertices[v].normalIndex);
}

float Coordinate(const PackedVertex& v, int axis)
{
    return axis == 0 ? v.x : axis == 1 ? v.y : v.z;
}

void WindowFrames(const ModelObject* model, int window[4])
{
    window[0] = WindowFrame(model, model->prevPrevFrame);
    window[1] = WindowFrame(model, model->prevFrame);
    window[2] = WindowFrame(model, model->currentFrame);
    window[3] = WindowFrame(model, model->nextFrame);
}

// One value of the four window frames combined by the method; the method
// is chosen once per draw, so the loops below inline it.
template <uint8_t Method>
float Combine(float p0, float p1, float p2, float p3, const InterpolationWeights& w)
{
    if (Method == kInterpNone)
        return p2;
    if (Method == kInterpLinear)
        return InterpolateLinear(p2, p3, w);
    return InterpolateCubic(p0, p1, p2, p3, w);
}

template <uint8_t Method>
void DecodeWith(const PackedVertex* const frames[4], const FrameNormals* normalFrames, int numVerts,
                const float scale[3], const float translate[3], const InterpolationWeights& w, bool normals)
{
    for (int v = 0; v < numVerts; ++v) {
        DecodedVertex& out = decoded[v];
        const PackedVertex &a = frames[0][v], &b = frames[1][v], &c = frames[2][v], &d = frames[3][v];
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
void DecodeCubicKept(const PackedVertex* const frames[4], const FrameNormals* normalFrames, int numVerts,
                     const float scale[3], const float translate[3], const InterpolationWeights& w, bool normals,
                     FrameGeometry& kept)
{
    int values = normals ? 6 : 3;
    bool same = kept.cubicNormals == normals && kept.cubicTerms.size() == size_t(numVerts) * values;
    for (int k = 0; k < 4; ++k)
        same = same && kept.cubicWindow[k] == frames[k];
    if (!same) {
        kept.cubicTerms.resize(size_t(numVerts) * values);
        for (int v = 0; v < numVerts; ++v) {
            CubicTerms* terms = &kept.cubicTerms[size_t(v) * values];
            const PackedVertex &a = frames[0][v], &b = frames[1][v], &c = frames[2][v], &d = frames[3][v];
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

// Decodes every vertex once per draw; the primitives then index the result.
void DecodeVertices(const PackedVertex* const frames[4], const FrameNormals* normalFrames, int numVerts,
                    const float scale[3], const float translate[3], float t, bool normals, FrameGeometry* kept)
{
    decoded.resize(numVerts);
    switch (viewer.interpolationMethod) {
    case kInterpNone:
        return DecodeWith<kInterpNone>(frames, normalFrames, numVerts, scale, translate, InterpolationWeights{},
                                       normals);
    case kInterpLinear:
        return DecodeWith<kInterpLinear>(frames, normalFrames, numVerts, scale, translate,
                                         InterpolationWeights{t, 0, 0}, normals);
    case kInterpCubic:
        if (kept)
            return DecodeCubicKept(frames, normalFrames, numVerts, scale, translate, WeightsFor(t), normals, *kept);
        return DecodeWith<kInterpCubic>(frames, normalFrames, numVerts, scale, translate, WeightsFor(t), normals);
    }
    // An unknown method: every value goes through Interpolate, which reports it.
    for (int v = 0; v < numVerts; ++v) {
        DecodedVertex& out = decoded[v];
        for (int a = 0; a < 3; ++a) {
            float p[4];
            for (int k = 0; k < 4; ++k)
                p[k] = Coordinate(frames[k][v], a);
            out.position[a] = scale[a] * Interpolate(p, t, viewer.interpolationMethod) + translate[a];
            out.normal[a] = 0.0f;
            if (!normals)
                continue;
            for (int k = 0; k < 4; ++k)
                p[k] = NormalOf(normalFrames[k], v)[a];
            out.normal[a] = Interpolate(p, t, viewer.interpolationMethod);
        }
    }
}

// The decoded vertices of the layout's array vertices, file axes (x, y, z)
// sent to OpenGL as (y, z, x).
void FillArrays(FrameGeometry& out, bool normals, bool texCoords)
{
    const std::vector<uint32_t>& frameVertex = out.layout->frameVertex;
    size_t count = frameVertex.size();
    out.positions.resize(3 * count);
    out.normals.resize(normals ? 3 * count : 0);
    out.interleaved.clear();
    for (size_t i = 0; i < count; ++i) {
        const DecodedVertex& v = decoded[frameVertex[i]];
        float* p = &out.positions[3 * i];
        p[0] = v.position[1], p[1] = v.position[2], p[2] = v.position[0];
        if (normals) {
            float* n = &out.normals[3 * i];
            n[0] = v.normal[1], n[1] = v.normal[2], n[2] = v.normal[0];
        }
    }
    out.sendNormals = normals;
    out.sendTexCoords = texCoords;
}

// Every triangle of the layout through the remeshing interface, its
// subdivided triangles collected into the geometry.
void RemeshTriangles(const FrameLayout& layout, bool texCoords, FrameGeometry& out)
{
    out.layout.reset();
    out.sendNormals = out.sendTexCoords = true;
    int64_t triangles = static_cast<int64_t>(layout.indices.size() / 3);
    int depth = RemeshDepthFor(triangles);
    out.interleaved.resize(24 * static_cast<size_t>(RemeshTriangleCount(triangles, depth)));
    RemeshSetDepth(depth);
    RemeshEmitInto(&out);
    for (size_t i = 0; i + 2 < layout.indices.size(); i += 3) {
        remeshBegin();
        for (int k = 0; k < 3; ++k) {
            uint32_t a = layout.indices[i + k];
            const DecodedVertex& v = decoded[layout.frameVertex[a]];
            if (texCoords)
                remeshTexCoord2f(layout.texCoords[2 * a], layout.texCoords[2 * a + 1]);
            remeshNormal3f(v.normal[1], v.normal[2], v.normal[0]);
            remeshVertex3f(v.position[1], v.position[2], v.position[0]);
        }
        remeshEnd();
    }
    RemeshEmitInto(nullptr);
}

const std::shared_ptr<const FrameLayout>& LayoutOf(std::shared_ptr<const FrameLayout>& cached,
                                                   std::shared_ptr<const FrameLayout> (*build)(const Md2File&),
                                                   const Md2File& file)
{
    if (!cached)
        cached = build(file);
    return cached;
}

// The normals of each window frame: the file's, or, for a frame whose file
// gives none, its own triangles' (kept with the model for the next draws).
template <typename Record>
void WindowNormals(ModelObject* model, const Record& file, const int window[4], const PackedVertex* const frames[4],
                   int numVerts, const float scales[4][3], const float translates[4][3], FrameNormals out[4])
{
    for (int k = 0; k < 4; ++k) {
        out[k] = {frames[k], nullptr};
        if (!FrameLacksNormals(frames[k], numVerts))
            continue;
        if (!model->computedNormals) {
            model->computedNormals = std::make_shared<ComputedNormals>();
            model->computedNormals->corners = TriangleCorners(file);
        }
        ComputedNormals& kept = *model->computedNormals;
        if ((out[k].computed = KeptNormals(kept, window[k])))
            continue;
        std::vector<float> positions(3 * static_cast<size_t>(numVerts));
        for (int v = 0; v < numVerts; ++v)
            for (int a = 0; a < 3; ++a)
                positions[3 * v + a] = scales[k][a] * Coordinate(frames[k][v], a) + translates[k][a];
        std::vector<float>& normals = KeepNormals(kept, window[k], window);
        normals.resize(positions.size());
        NormalsFromTriangles(positions.data(), numVerts, kept.corners, normals.data());
        out[k].computed = normals.data();
    }
}

// kept, when given, is the model's own arrays, which keep decoding work between draws.
void BuildMd2Geometry(ModelObject* model, float fraction, FrameGeometry& out, FrameGeometry* kept)
{
    if (fraction > 1.0f)
        fraction = 1.0f;
    const Md2File& file = *Md2Data(model);
    int window[4];
    WindowFrames(model, window);
    Md2FrameHeader headers[4];
    const PackedVertex* frames[4];
    for (int k = 0; k < 4; ++k) {
        headers[k] = Md2FrameHeaderAt(file, window[k]);
        frames[k] = Md2FrameVertices(file, window[k]);
    }
    float scale[3], translate[3];
    for (int a = 0; a < 3; ++a) {
        float s[4] = {headers[0].scale[a], headers[1].scale[a], headers[2].scale[a], headers[3].scale[a]};
        float t[4] = {headers[0].translate[a], headers[1].translate[a], headers[2].translate[a],
                      headers[3].translate[a]};
        scale[a] = Interpolate(s, fraction, viewer.interpolationMethod);
        translate[a] = Interpolate(t, fraction, viewer.interpolationMethod);
    }
    // A model whose file has no usable GL commands is drawn from its triangles.
    bool glCommands = viewer.useGlCommands && !file.glCommands.empty();
    bool remesh = !glCommands && viewer.remeshing;
    bool normals = viewer.lightingEnabled || remesh;
    FrameNormals normalFrames[4] = {};
    if (normals) {
        float scales[4][3], translates[4][3];
        for (int k = 0; k < 4; ++k)
            for (int a = 0; a < 3; ++a)
                scales[k][a] = headers[k].scale[a], translates[k][a] = headers[k].translate[a];
        WindowNormals(model, file, window, frames, file.header.numXyz, scales, translates, normalFrames);
    }
    DecodeVertices(frames, normalFrames, file.header.numXyz, scale, translate, fraction, normals, kept);
    const std::shared_ptr<const FrameLayout>& layout =
        glCommands ? LayoutOf(model->commandLayout, Md2CommandLayout, file)
                   : LayoutOf(model->triangleLayout, Md2TriangleLayout, file);
    if (remesh)
        return RemeshTriangles(*layout, model->texturing, out);
    out.layout = layout;
    FillArrays(out, normals, model->texturing);
}

void BuildMdlGeometry(ModelObject* model, float fraction, FrameGeometry& out, FrameGeometry* kept)
{
    if (fraction > 1.0f)
        fraction = 1.0f;
    const MdlFile& file = *MdlData(model);
    int window[4];
    WindowFrames(model, window);
    const PackedVertex* frames[4];
    for (int k = 0; k < 4; ++k)
        frames[k] = MdlFrameVertices(file, window[k]);
    bool normals = viewer.lightingEnabled || viewer.remeshing;
    FrameNormals normalFrames[4] = {};
    if (normals) {
        float scales[4][3], translates[4][3];
        for (int k = 0; k < 4; ++k)
            for (int a = 0; a < 3; ++a)
                scales[k][a] = file.header.scale[a], translates[k][a] = file.header.translate[a];
        WindowNormals(model, file, window, frames, file.header.numVerts, scales, translates, normalFrames);
    }
    DecodeVertices(frames, normalFrames, file.header.numVerts, file.header.scale, file.header.translate, fraction,
                   normals, kept);
    if (!model->triangleLayout)
        model->triangleLayout = MdlTriangleLayout(file);
    if (viewer.remeshing)
        return RemeshTriangles(*model->triangleLayout, model->texturing, out);
    out.layout = model->triangleLayout;
    FillArrays(out, normals, model->texturing);
}

// Builds the model's geometry; false for a model of no known type.
bool BuildGeometry(ModelObject* model, float fraction, FrameGeometry& out)
{
    if (model->modelType == kModelMdl && MdlData(model))
        BuildMdlGeometry(model, fraction, out, &out);
    else if (model->modelType == kModelMd2 && Md2Data(model))
        BuildMd2Geometry(model, fraction, out, &out);
    else
        return false;
    return true;
}

void DrawAndRelease(FrameGeometry& geometry, const char* checkTag)
{
    DrawFrameGeometry(geometry);
    if ((geometry.positions.capacity() + geometry.interleaved.capacity()) * sizeof(float) > kScratchKept)
        geometry = FrameGeometry();
    CheckGLError(checkTag);
}

void LeaveArrays(ModelObject* model)
{
    model->drawnFromArrays = false;
    model->frameArrays.reset();
}

}  // namespace

int WindowFrame(const ModelObject* model, int frame)
{
    return frame >= 0 && frame < model->numFrames ? frame : 0;
}

void DrawMD2Frame(ModelObject* model, float fraction)
{
    BuildMd2Geometry(model, fraction, scratch, nullptr);
    DrawAndRelease(scratch, "DrawMD2Frame()");
}

void DrawMDLFrame(ModelObject* model, float fraction)
{
    BuildMdlGeometry(model, fraction, scratch, nullptr);
    DrawAndRelease(scratch, "DrawMDLFrame()");
}

void UpdateModelDisplayList(ModelObject* model, float fraction)
{
    LeaveArrays(model);
    glNewList(model->displayList, GL_COMPILE);
    if (model->modelType == kModelMdl && MdlData(model))
        DrawMDLFrame(model, fraction);
    else if (model->modelType == kModelMd2 && Md2Data(model))
        DrawMD2Frame(model, fraction);
    else
        ReportError("UpdateModelDisplayList: invalid model type");
    glEndList();
}

void UpdateModelFrameArrays(ModelObject* model, float fraction)
{
    if (!model->frameArrays)
        model->frameArrays = std::make_shared<FrameGeometry>();
    if (!BuildGeometry(model, fraction, *model->frameArrays))
        return UpdateModelDisplayList(model, fraction);  // reports the invalid type
    model->drawnFromArrays = true;
}

void DrawModelGeometry(const ModelObject* model)
{
    if (model->drawnFromArrays && model->frameArrays)
        DrawFrameGeometry(*model->frameArrays);
    else
        glCallList(model->displayList);
}

bool ModelFrameBounds(ModelObject* model, float min[3], float max[3])
{
    FrameGeometry geometry;
    bool remeshing = viewer.remeshing;
    viewer.remeshing = false;
    bool built = BuildGeometry(model, 0.0f, geometry);
    viewer.remeshing = remeshing;
    if (!built || geometry.positions.empty())
        return false;
    for (int a = 0; a < 3; ++a)
        min[a] = max[a] = geometry.positions[a];
    for (size_t i = 0; i < geometry.positions.size(); i += 3) {
        for (int a = 0; a < 3; ++a) {
            min[a] = std::min(min[a], geometry.positions[i + a]);
            max[a] = std::max(max[a], geometry.positions[i + a]);
        }
    }
    return true;
}

void SettleStillModels()
{
    for (ModelObject* model = viewer.modelList.get(); model; model = model->next.get()) {
        if (!model->drawnFromArrays)
            continue;
        glNewList(model->displayList, GL_COMPILE);
        DrawFrameGeometry(*model->frameArrays);
        glEndList();
        LeaveArrays(model);
    }
}

void UpdateAllDisplayLists()
{
    for (ModelObject* model = viewer.modelList.get(); model; model = model->next.get())
        UpdateModelDisplayList(model, 0.0f);
}

void ToggleTexturing(float)
{
    ModelObject* model = viewer.currentModel;
    if (!model)
        return;
    model->texturing = !model->texturing;
    if (!model->hasSkins) {
        model->texturing = false;
        return;
    }
    UpdateModelDisplayList(model, 0.0f);
}

void ToggleRenderMode(float)
{
    viewer.renderMode = viewer.renderMode >= kRenderPoints ? 0 : viewer.renderMode + 1;
    switch (viewer.renderMode) {
    case kRenderSolid:
        glPolygonMode(GL_FRONT, GL_FILL);
        break;
    case kRenderWireframe:
        glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
        break;
    case kRenderPoints:
        glPolygonMode(GL_FRONT_AND_BACK, GL_POINT);
        break;
    default:
        ReportError("Invalid render mode");
    }
}

void ToggleDepthBuffer(float)
{
    viewer.depthTest = !viewer.depthTest;
    if (viewer.depthTest)
        glEnable(GL_DEPTH_TEST);
    else
        glDisable(GL_DEPTH_TEST);
}

void ToggleGlCommands(float)
{
    viewer.useGlCommands = !viewer.useGlCommands;
    if (viewer.currentModel)
        UpdateModelDisplayList(viewer.currentModel, 0.0f);
}
