#include "render/draw.h"

#include <GL/gl.h>

#include <algorithm>
#include <vector>

#include "formats/shader_script.h"
#include "geometry/pose.h"
#include "platform/error_log.h"
#include "render/frame_window.h"
#include "render/frame_arrays.h"
#include "render/remesh.h"
#include "render/shader_draw.h"
#include "render/tags.h"
#include "state/viewer_state.h"

namespace {

// One decoded vertex per frame vertex, reused between draws.
std::vector<DecodedVertex>& DecodedVertices()
{
    static std::vector<DecodedVertex> decoded;
    return decoded;
}


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

// Builds one part of the model's geometry at the fraction, decoded (or
// posed) once, then laid out or remeshed; false for a model with no drawn
// form. kept, when given, is the model's own arrays, which keep decoding
// work between draws.
bool BuildGeometry(ModelObject* model, int part, float fraction, FrameGeometry& out, FrameGeometry* kept,
                   bool alwaysNormals = false)
{
    const DrawnModel* drawn = model->drawn.get();
    if (!drawn)
        return false;
    if (part >= static_cast<int>(drawn->parts.size())) {
        out = FrameGeometry();  // a model of no parts draws nothing
        return true;
    }
    const DrawnPart& drawnPart = drawn->parts[part];
    int window[4];
    WindowFrames(model, window);
    bool commands = viewer.useGlCommands && drawnPart.commands;
    bool remesh = !commands && viewer.remeshing;
    bool sent = viewer.lightingEnabled || remesh, normals = sent || alwaysNormals;
    PosePart(drawnPart, part, window, fraction, viewer.interpolationMethod, normals, model->computedNormals,
             kept ? &kept->pose : nullptr, DecodedVertices());
    const std::shared_ptr<const FrameLayout>& layout = commands ? drawnPart.commands : drawnPart.triangles;
    if (remesh) {
        RemeshTriangles(*layout, model->texturing, out);
        return true;
    }
    out.layout = layout;
    FillArrays(out, normals, model->texturing);
    out.sendNormals = sent;
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
    int slot = part < static_cast<int>(model->drawn->parts.size()) ? model->drawn->parts[part].skinSlot : part;
    if (slot < 0)
        return info.textureId;
    return slot < static_cast<int>(info.partTextures.size()) ? info.partTextures[slot] : 0;
}

// The arrays of the parts whose shaders work on their vertices at each
// draw, kept beside their lists.
void KeepVertices(ModelObject* model, float fraction)
{
    for (int part = 0; part < PartCount(model); ++part) {
        if (!PartNeedsVertices(model, part))
            continue;
        model->frameArrays.resize(PartCount(model));
        model->frameArrays[part] = std::make_shared<FrameGeometry>();
        BuildGeometry(model, part, fraction, *model->frameArrays[part], nullptr, true);
    }
}

const FrameGeometry* PartVertices(const ModelObject* model, int part)
{
    return part < static_cast<int>(model->frameArrays.size()) ? model->frameArrays[part].get() : nullptr;
}

// One part with its texture or its shader; what compiled it is drawn again
// for each of a shader's passes.
void DrawPart(const ModelObject* model, int part)
{
    auto geometry = [model, part] {
        if (model->drawnFromArrays && PartVertices(model, part))
            DrawFrameGeometry(*PartVertices(model, part));
        else
            glCallList(model->displayList + part);
    };
    const ModelShader* shader = PartShader(model, part);
    if (shader && shader->script->noDraw)
        return;
    if (shader && model->texturing && viewer.renderMode == kRenderSolid)
        return DrawShadedPart(model, *shader, geometry, PartVertices(model, part));
    if (uint32_t texture = PartTexture(model, part)) {
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, texture);
    } else {
        glDisable(GL_TEXTURE_2D);
    }
    geometry();
}

}  // namespace

void DrawModelFrame(ModelObject* model, int part, float fraction)
{
    if (!BuildGeometry(model, part, fraction, scratch, nullptr)) {
        ReportError("UpdateModelDisplayList: invalid model type");
        return;
    }
    DrawAndRelease(scratch, model->drawn->drawName.c_str());
}

void UpdateModelDisplayList(ModelObject* model, float fraction)
{
    LeaveArrays(model);
    model->shownFraction = fraction;
    for (int part = 0; part < PartCount(model); ++part) {
        glNewList(model->displayList + part, GL_COMPILE);
        DrawModelFrame(model, part, fraction);
        glEndList();
    }
    KeepVertices(model, fraction);
}

void UpdateModelFrameArrays(ModelObject* model, float fraction)
{
    int parts = PartCount(model);
    model->frameArrays.resize(parts);
    for (int part = 0; part < parts; ++part) {
        if (!model->frameArrays[part])
            model->frameArrays[part] = std::make_shared<FrameGeometry>();
        FrameGeometry& arrays = *model->frameArrays[part];
        if (!BuildGeometry(model, part, fraction, arrays, &arrays, PartNeedsVertices(model, part)))
            return UpdateModelDisplayList(model, fraction);  // reports the invalid type
    }
    model->shownFraction = fraction;
    model->drawnFromArrays = true;
}

void DrawModelGeometry(const ModelObject* model)
{
    for (int part = 0; part < PartCount(model); ++part)
        DrawPart(model, part);
}

void DrawOpaqueParts(const ModelObject* model)
{
    for (int part = 0; part < PartCount(model); ++part)
        if (PartIsOpaque(model, part))
            DrawPart(model, part);
}

void DrawModelPart(const ModelObject* model, int part)
{
    DrawPart(model, part);
}

std::vector<ModelPart> BlendedParts()
{
    std::vector<ModelPart> parts;
    for (const ModelObject* model = viewer.modelList.get(); model; model = model->next.get())
        for (int part = 0; ModelShown(model) && part < PartCount(model); ++part)
            if (!PartIsOpaque(model, part))
                parts.push_back({model, part, PartSort(model, part)});
    std::stable_sort(parts.begin(), parts.end(),
                     [](const ModelPart& a, const ModelPart& b) { return a.sort < b.sort; });
    return parts;
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
        KeepVertices(model, model->shownFraction);
    }
}

void UpdateAllDisplayLists()
{
    for (ModelObject* model = viewer.modelList.get(); model; model = model->next.get())
        UpdateModelDisplayList(model, 0.0f);
}
