#include "render/draw.h"

#include <GL/gl.h>

#include <algorithm>
#include <vector>

#include "formats/md2.h"
#include "formats/md3.h"
#include "formats/mdl.h"
#include "geometry/normals.h"
#include "platform/error_log.h"
#include "render/animation.h"
#include "render/decode.h"
#include "render/frame_arrays.h"
#include "render/interpolate.h"
#include "render/remesh.h"
#include "state/viewer_state.h"

std::vector<DecodedVertex>& DecodedVertices()
{
    static std::vector<DecodedVertex> decoded;
    return decoded;
}

namespace {

// The geometry a display list is compiled from; let go of when a remeshed draw made it large.
FrameGeometry scratch;
constexpr size_t kScratchKept = size_t(64) << 20;

void WindowFrames(const ModelObject* model, int window[4])
{
    window[0] = WindowFrame(model, model->prevPrevFrame);
    window[1] = WindowFrame(model, model->prevFrame);
    window[2] = WindowFrame(model, model->currentFrame);
    window[3] = WindowFrame(model, model->nextFrame);
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
        const DecodedVertex& v = DecodedVertices()[frameVertex[i]];
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
            const DecodedVertex& v = DecodedVertices()[layout.frameVertex[a]];
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

std::vector<uint32_t> CornersOf(const Md2File& file, int) { return TriangleCorners(file); }
std::vector<uint32_t> CornersOf(const MdlFile& file, int) { return TriangleCorners(file); }
std::vector<uint32_t> CornersOf(const Md3File& file, int part) { return TriangleCorners(file.surfaces[part]); }

// The normals of each window frame: the vertices' own, or, for a frame whose
// file gives none, its own triangles' (kept with the model for the next draws).
template <typename Record, typename Vertex>
void WindowNormals(ModelObject* model, const Record& file, int part, const int window[4],
                   const Vertex* const frames[4], int numVerts, const float scales[4][3],
                   const float translates[4][3], FrameNormals<Vertex> out[4])
{
    int keys[4];
    for (int k = 0; k < 4; ++k)
        keys[k] = window[k] + 65536 * part;
    for (int k = 0; k < 4; ++k) {
        out[k] = {frames[k], nullptr};
        if (!FrameLacksNormals(frames[k], numVerts))
            continue;
        if (!model->computedNormals)
            model->computedNormals = std::make_shared<ComputedNormals>();
        ComputedNormals& kept = *model->computedNormals;
        if (kept.corners.size() <= static_cast<size_t>(part))
            kept.corners.resize(part + 1);
        if (kept.corners[part].empty())
            kept.corners[part] = CornersOf(file, part);
        if ((out[k].computed = KeptNormals(kept, keys[k])))
            continue;
        std::vector<float> positions(3 * static_cast<size_t>(numVerts));
        for (int v = 0; v < numVerts; ++v)
            for (int a = 0; a < 3; ++a)
                positions[3 * v + a] = scales[k][a] * Coordinate(frames[k][v], a) + translates[k][a];
        std::vector<float>& normals = KeepNormals(kept, keys[k], keys);
        normals.resize(positions.size());
        NormalsFromTriangles(positions.data(), numVerts, kept.corners[part], normals.data());
        out[k].computed = normals.data();
    }
}

// The window decoded, then laid out (or remeshed) into out; the same
// scale and translate for every frame (MDL, MD3).
template <typename Record, typename Vertex>
void BuildFromWindow(ModelObject* model, const Record& file, int part, const Vertex* const frames[4], int numVerts,
                     const float scale[3], const float translate[3], const std::shared_ptr<const FrameLayout>& layout,
                     float fraction, FrameGeometry& out, FrameGeometry* kept)
{
    int window[4];
    WindowFrames(model, window);
    bool normals = viewer.lightingEnabled || viewer.remeshing;
    FrameNormals<Vertex> normalFrames[4] = {};
    if (normals) {
        float scales[4][3], translates[4][3];
        for (int k = 0; k < 4; ++k)
            for (int a = 0; a < 3; ++a)
                scales[k][a] = scale[a], translates[k][a] = translate[a];
        WindowNormals(model, file, part, window, frames, numVerts, scales, translates, normalFrames);
    }
    DecodeVertices(viewer.interpolationMethod, frames, normalFrames, numVerts, scale, translate, fraction, normals,
                   kept);
    if (viewer.remeshing)
        return RemeshTriangles(*layout, model->texturing, out);
    out.layout = layout;
    FillArrays(out, normals, model->texturing);
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
    FrameNormals<PackedVertex> normalFrames[4] = {};
    if (normals) {
        float scales[4][3], translates[4][3];
        for (int k = 0; k < 4; ++k)
            for (int a = 0; a < 3; ++a)
                scales[k][a] = headers[k].scale[a], translates[k][a] = headers[k].translate[a];
        WindowNormals(model, file, 0, window, frames, file.header.numXyz, scales, translates, normalFrames);
    }
    DecodeVertices(viewer.interpolationMethod, frames, normalFrames, file.header.numXyz, scale, translate, fraction,
                   normals, kept);
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
    const MdlFile& file = *MdlData(model);
    int window[4];
    WindowFrames(model, window);
    const PackedVertex* frames[4];
    for (int k = 0; k < 4; ++k)
        frames[k] = MdlFrameVertices(file, window[k]);
    if (!model->triangleLayout)
        model->triangleLayout = MdlTriangleLayout(file);
    BuildFromWindow(model, file, 0, frames, file.header.numVerts, file.header.scale, file.header.translate,
                    model->triangleLayout, std::min(fraction, 1.0f), out, kept);
}

// MD3 coordinates are in 1/64 units.
void BuildMd3Geometry(ModelObject* model, int part, float fraction, FrameGeometry& out, FrameGeometry* kept)
{
    const Md3File& file = *Md3Data(model);
    if (file.surfaces.empty()) {
        out = FrameGeometry();
        return;
    }
    const Md3Surface& surface = file.surfaces[part];
    int window[4];
    WindowFrames(model, window);
    const Md3Vertex* frames[4];
    for (int k = 0; k < 4; ++k)
        frames[k] = Md3FrameVertices(surface, window[k]);
    if (model->surfaceLayouts.size() != file.surfaces.size())
        model->surfaceLayouts.resize(file.surfaces.size());
    if (!model->surfaceLayouts[part])
        model->surfaceLayouts[part] = Md3SurfaceLayout(surface);
    const float scale[3] = {1 / 64.0f, 1 / 64.0f, 1 / 64.0f}, translate[3] = {0, 0, 0};
    BuildFromWindow(model, file, part, frames, surface.numVertices, scale, translate, model->surfaceLayouts[part],
                    std::min(fraction, 1.0f), out, kept);
}

// Builds one part of the model's geometry; false for a model of no known type.
bool BuildGeometry(ModelObject* model, int part, float fraction, FrameGeometry& out, FrameGeometry* kept)
{
    if (model->modelType == kModelMdl && MdlData(model))
        BuildMdlGeometry(model, fraction, out, kept);
    else if (model->modelType == kModelMd2 && Md2Data(model))
        BuildMd2Geometry(model, fraction, out, kept);
    else if (model->modelType == kModelMd3 && Md3Data(model))
        BuildMd3Geometry(model, part, fraction, out, kept);
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
    model->frameArrays.clear();
}

// The texture a part is drawn with; 0 for none.
uint32_t PartTexture(const ModelObject* model, int part)
{
    int skin = DrawnSkin(model);
    if (!model->texturing || skin < 0 || skin >= model->numSkins)
        return 0;
    const SkinInfo& info = model->skins[skin];
    if (model->modelType != kModelMd3)
        return info.textureId;
    return part < static_cast<int>(info.partTextures.size()) ? info.partTextures[part] : 0;
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
    model->shownFraction = fraction;
    for (int part = 0; part < PartCount(model); ++part) {
        glNewList(model->displayList + part, GL_COMPILE);
        if (model->modelType == kModelMdl && MdlData(model))
            DrawMDLFrame(model, fraction);
        else if (model->modelType == kModelMd2 && Md2Data(model))
            DrawMD2Frame(model, fraction);
        else if (model->modelType == kModelMd3 && Md3Data(model)) {
            BuildMd3Geometry(model, part, fraction, scratch, nullptr);
            DrawAndRelease(scratch, "DrawMD3Frame()");
        } else
            ReportError("UpdateModelDisplayList: invalid model type");
        glEndList();
    }
}

void UpdateModelFrameArrays(ModelObject* model, float fraction)
{
    int parts = PartCount(model);
    model->frameArrays.resize(parts);
    for (int part = 0; part < parts; ++part) {
        if (!model->frameArrays[part])
            model->frameArrays[part] = std::make_shared<FrameGeometry>();
        FrameGeometry& arrays = *model->frameArrays[part];
        if (!BuildGeometry(model, part, fraction, arrays, &arrays))
            return UpdateModelDisplayList(model, fraction);  // reports the invalid type
    }
    model->shownFraction = fraction;
    model->drawnFromArrays = true;
}

void DrawModelGeometry(const ModelObject* model)
{
    for (int part = 0; part < PartCount(model); ++part) {
        if (uint32_t texture = PartTexture(model, part)) {
            glEnable(GL_TEXTURE_2D);
            glBindTexture(GL_TEXTURE_2D, texture);
        } else {
            glDisable(GL_TEXTURE_2D);
        }
        if (model->drawnFromArrays && part < static_cast<int>(model->frameArrays.size()))
            DrawFrameGeometry(*model->frameArrays[part]);
        else
            glCallList(model->displayList + part);
    }
}

bool ModelFrameBounds(ModelObject* model, float min[3], float max[3])
{
    bool remeshing = viewer.remeshing, found = false;
    viewer.remeshing = false;
    for (int part = 0; part < PartCount(model); ++part) {
        FrameGeometry geometry;
        if (!BuildGeometry(model, part, 0.0f, geometry, nullptr))
            break;
        for (size_t i = 0; i < geometry.positions.size(); i += 3) {
            for (int a = 0; a < 3; ++a) {
                min[a] = found ? std::min(min[a], geometry.positions[i + a]) : geometry.positions[i + a];
                max[a] = found ? std::max(max[a], geometry.positions[i + a]) : geometry.positions[i + a];
            }
            found = true;
        }
    }
    viewer.remeshing = remeshing;
    return found;
}

void SettleStillModels()
{
    for (ModelObject* model = viewer.modelList.get(); model; model = model->next.get()) {
        if (!model->drawnFromArrays)
            continue;
        for (size_t part = 0; part < model->frameArrays.size(); ++part) {
            glNewList(model->displayList + static_cast<GLuint>(part), GL_COMPILE);
            DrawFrameGeometry(*model->frameArrays[part]);
            glEndList();
        }
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
