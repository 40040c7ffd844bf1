#include "render/draw.h"

#include <GL/gl.h>

#include <cstring>
#include <vector>

#include "core/error_log.h"
#include "core/viewer_state.h"
#include "models/md2.h"
#include "models/mdl.h"
#include "render/interpolate.h"
#include "render/remesh.h"
#include "render/vertex_normals.h"

namespace {

struct DecodedVertex {
    float position[3];
    float normal[3];
};

// What one draw sends with each vertex, and where.
struct DrawContext {
    bool texCoords;
    bool normals;
    bool remesh;
};

const float kNoNormal[3] = {0.0f, 0.0f, 0.0f};

// Reused between draws: one decoded vertex per frame vertex.
std::vector<DecodedVertex> decoded;

const float* NormalAt(uint8_t index)
{
    return index < kNumVertexNormals ? vertexNormalTable[index] : kNoNormal;
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

// Decodes every vertex once per draw; the triangles then index the result.
void DecodeVertices(const PackedVertex* const frames[4], int numVerts, const float scale[3],
                    const float translate[3], float t, bool normals)
{
    uint8_t method = viewer.interpolationMethod;
    decoded.resize(numVerts);
    for (int v = 0; v < numVerts; ++v) {
        DecodedVertex& out = decoded[v];
        for (int a = 0; a < 3; ++a) {
            float p[4];
            for (int k = 0; k < 4; ++k)
                p[k] = Coordinate(frames[k][v], a);
            out.position[a] = scale[a] * Interpolate(p, t, method) + translate[a];
        }
        if (!normals)
            continue;
        for (int a = 0; a < 3; ++a) {
            float p[4];
            for (int k = 0; k < 4; ++k)
                p[k] = NormalAt(frames[k][v].normalIndex)[a];
            out.normal[a] = Interpolate(p, t, method);
        }
    }
}

// File axes (x, y, z) go to OpenGL as (y, z, x).
void SendVertex(const DrawContext& context, float s, float t, const DecodedVertex& v)
{
    const float* p = v.position;
    const float* n = v.normal;
    if (context.remesh) {
        if (context.texCoords)
            remeshTexCoord2f(s, t);
        if (context.normals)
            remeshNormal3f(n[1], n[2], n[0]);
        remeshVertex3f(p[1], p[2], p[0]);
        return;
    }
    if (context.texCoords)
        glTexCoord2f(s, t);
    if (context.normals)
        glNormal3f(n[1], n[2], n[0]);
    glVertex3f(p[1], p[2], p[0]);
}

void BeginTriangle(const DrawContext& context)
{
    if (context.remesh)
        remeshBegin();
    else
        glBegin(GL_TRIANGLES);
}

void EndTriangle(const DrawContext& context)
{
    if (context.remesh)
        remeshEnd();
    else
        glEnd();
}

float SkinDivisor(int32_t size)
{
    return size > 0 ? static_cast<float>(size) : 1.0f;
}

void DrawMd2Triangles(const Md2File& file, const DrawContext& context)
{
    float width = SkinDivisor(file.header.skinWidth);
    float height = SkinDivisor(file.header.skinHeight);
    for (const Md2Triangle& tri : file.triangles) {
        BeginTriangle(context);
        for (int k = 0; k < 3; ++k) {
            const Md2TexCoord& st = file.texCoords[tri.texCoordIndex[k]];
            SendVertex(context, st.s / width, st.t / height, decoded[tri.vertexIndex[k]]);
        }
        EndTriangle(context);
    }
}

void DrawMd2GlCommands(const std::vector<int32_t>& words, const DrawContext& context)
{
    size_t i = 0;
    while (i < words.size()) {
        int32_t n = words[i++];
        if (n == 0)
            break;
        glBegin(n > 0 ? GL_TRIANGLE_STRIP : GL_TRIANGLE_FAN);
        for (int64_t v = n > 0 ? n : -int64_t(n); v > 0; --v, i += 3) {
            float s, t;
            memcpy(&s, &words[i], 4);
            memcpy(&t, &words[i + 1], 4);
            SendVertex(context, s, t, decoded[words[i + 2]]);
        }
        glEnd();
    }
}

void PrepareRemesh(const DrawContext& context, size_t triangles)
{
    if (context.remesh)
        RemeshSetDepth(RemeshDepthFor(static_cast<int64_t>(triangles)));
}

}  // namespace

int WindowFrame(const ModelObject* model, int frame)
{
    return frame >= 0 && frame < model->numFrames ? frame : 0;
}

void DrawMD2Frame(ModelObject* model, float fraction)
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
        float s[4] = {headers[0].scale[a], headers[1].scale[a], headers[2].scale[a],
                      headers[3].scale[a]};
        float t[4] = {headers[0].translate[a], headers[1].translate[a], headers[2].translate[a],
                      headers[3].translate[a]};
        scale[a] = Interpolate(s, fraction, viewer.interpolationMethod);
        translate[a] = Interpolate(t, fraction, viewer.interpolationMethod);
    }
    // A model whose file has no usable GL commands is drawn from its triangles.
    bool glCommands = viewer.useGlCommands && !file.glCommands.empty();
    DrawContext context{model->texturing, viewer.lightingEnabled || (!glCommands && viewer.remeshing),
                        !glCommands && viewer.remeshing};
    DecodeVertices(frames, file.header.numXyz, scale, translate, fraction, context.normals);
    if (glCommands) {
        DrawMd2GlCommands(file.glCommands, context);
    } else {
        PrepareRemesh(context, file.triangles.size());
        DrawMd2Triangles(file, context);
    }
    CheckGLError("DrawMD2Frame()");
}

void DrawMDLFrame(ModelObject* model, float fraction)
{
    if (fraction > 1.0f)
        fraction = 1.0f;
    const MdlFile& file = *MdlData(model);
    const MdlHeader& h = file.header;
    int window[4];
    WindowFrames(model, window);
    const PackedVertex* frames[4];
    for (int k = 0; k < 4; ++k)
        frames[k] = MdlFrameVertices(file, window[k]);
    DrawContext context{model->texturing, viewer.lightingEnabled || viewer.remeshing,
                        viewer.remeshing};
    DecodeVertices(frames, h.numVerts, h.scale, h.translate, fraction, context.normals);
    PrepareRemesh(context, file.triangles.size());
    float width = SkinDivisor(h.skinWidth), height = SkinDivisor(h.skinHeight);
    for (const MdlTriangle& tri : file.triangles) {
        BeginTriangle(context);
        for (int k = 0; k < 3; ++k) {
            int i = tri.vertexIndex[k];
            const MdlTexCoord& st = file.texCoords[i];
            int64_t s = st.s;  // a hostile file's s plus half the width may not fit an int
            if (st.onSeam != 0 && tri.facesFront == 0)
                s += h.skinWidth / 2;
            SendVertex(context, static_cast<float>(s) / width, st.t / height, decoded[i]);
        }
        EndTriangle(context);
    }
    CheckGLError("DrawMDLFrame()");
}

void UpdateModelDisplayList(ModelObject* model, float fraction)
{
    glNewList(model->displayList, GL_COMPILE);
    if (model->modelType == kModelMdl && MdlData(model))
        DrawMDLFrame(model, fraction);
    else if (model->modelType == kModelMd2 && Md2Data(model))
        DrawMD2Frame(model, fraction);
    else
        ReportError("UpdateModelDisplayList: invalid model type");
    glEndList();
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
