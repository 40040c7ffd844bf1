#include "render/shader_draw.h"

#define GL_GLEXT_PROTOTYPES
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "formats/shader_script.h"
#include "render/frame_window.h"
#include "render/shader_math.h"
#include "state/viewer_state.h"

namespace {

GLenum GlFactor(BlendFactor factor)
{
    switch (factor) {
    case BlendFactor::kZero: return GL_ZERO;
    case BlendFactor::kOne: return GL_ONE;
    case BlendFactor::kSrcColor: return GL_SRC_COLOR;
    case BlendFactor::kOneMinusSrcColor: return GL_ONE_MINUS_SRC_COLOR;
    case BlendFactor::kDstColor: return GL_DST_COLOR;
    case BlendFactor::kOneMinusDstColor: return GL_ONE_MINUS_DST_COLOR;
    case BlendFactor::kSrcAlpha: return GL_SRC_ALPHA;
    case BlendFactor::kOneMinusSrcAlpha: return GL_ONE_MINUS_SRC_ALPHA;
    case BlendFactor::kDstAlpha: return GL_DST_ALPHA;
    case BlendFactor::kOneMinusDstAlpha: return GL_ONE_MINUS_DST_ALPHA;
    case BlendFactor::kSrcAlphaSaturate: return GL_SRC_ALPHA_SATURATE;
    }
    return GL_ONE;
}

// The vertices of a part as one draw sends them, in OpenGL's axes.
struct Vertices {
    std::vector<float> positions, normals, texCoords;
    std::vector<uint32_t> indices;
};

void Unpack(const FrameGeometry& geometry, Vertices& out)
{
    if (const FrameLayout* layout = geometry.layout.get()) {
        out.positions = geometry.positions;
        out.normals = geometry.normals;
        out.normals.resize(out.positions.size(), 0.0f);
        out.texCoords = layout->texCoords;
        out.indices = layout->indices;
        return;
    }
    size_t count = geometry.interleaved.size() / 8;  // s, t, normal, position
    out.positions.resize(3 * count), out.normals.resize(3 * count), out.texCoords.resize(2 * count);
    out.indices.resize(count);
    for (size_t v = 0; v < count; ++v) {
        const float* at = &geometry.interleaved[8 * v];
        std::copy(at, at + 2, &out.texCoords[2 * v]);
        std::copy(at + 2, at + 5, &out.normals[3 * v]);
        std::copy(at + 5, at + 8, &out.positions[3 * v]);
        out.indices[v] = static_cast<uint32_t>(v);
    }
}

// The file's axes (x, y, z) are OpenGL's (z, x, y).
void FileAxes(const float* gl, float out[3])
{
    out[0] = gl[2], out[1] = gl[0], out[2] = gl[1];
}

void Normalize(float v[3])
{
    float length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (length > 0)
        for (int i = 0; i < 3; ++i)
            v[i] /= length;
}

// Where the eye is, and which way its right and up run, in the model's own axes.
struct Eye {
    float origin[3], right[3], up[3], toward[3];
};

Eye EyeInModel()
{
    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    Eye eye;
    for (int j = 0; j < 3; ++j) {
        eye.origin[j] = -(m[4 * j] * m[12] + m[4 * j + 1] * m[13] + m[4 * j + 2] * m[14]);
        eye.right[j] = m[4 * j];
        eye.up[j] = m[4 * j + 1];
        eye.toward[j] = m[4 * j + 2];
    }
    Normalize(eye.right);
    Normalize(eye.up);
    Normalize(eye.toward);
    return eye;
}

void DeformWave(const Deform& deform, Vertices& v)
{
    for (size_t i = 0; i + 2 < v.positions.size(); i += 3) {
        float* p = &v.positions[i];
        Wave wave = deform.wave;
        wave.phase += (p[0] + p[1] + p[2]) * deform.spread;
        float scale = EvaluateWave(wave, viewer.shaderTime);
        for (int a = 0; a < 3; ++a)
            p[a] += v.normals[i + a] * scale;
    }
}

void DeformNormals(const Deform& deform, Vertices& v)
{
    float t = static_cast<float>(viewer.shaderTime * deform.wave.frequency);
    for (size_t i = 0; i + 2 < v.positions.size(); i += 3) {
        float q[3], n[3];
        FileAxes(&v.positions[i], q);
        FileAxes(&v.normals[i], n);
        for (int a = 0; a < 3; ++a)
            n[a] += deform.wave.amplitude * ShaderNoise(100.0f * a + q[0] * 0.98f, q[1] * 0.98f, q[2] * 0.98f, t);
        Normalize(n);
        v.normals[i] = n[1], v.normals[i + 1] = n[2], v.normals[i + 2] = n[0];
    }
}

void DeformMove(const Deform& deform, Vertices& v)
{
    float scale = EvaluateWave(deform.wave, viewer.shaderTime);
    const float move[3] = {deform.move[1], deform.move[2], deform.move[0]};
    for (size_t i = 0; i + 2 < v.positions.size(); i += 3)
        for (int a = 0; a < 3; ++a)
            v.positions[i + a] += move[a] * scale;
}

// Every four vertices a quad turned to face the eye about its middle, as
// the game draws sprites.
void DeformAutosprite(const Eye& eye, Vertices& v)
{
    size_t quads = v.positions.size() / 12;
    Vertices out;
    for (size_t q = 0; q < quads; ++q) {
        const float* p = &v.positions[12 * q];
        float mid[3];
        for (int a = 0; a < 3; ++a)
            mid[a] = (p[a] + p[3 + a] + p[6 + a] + p[9 + a]) / 4;
        float d[3] = {p[0] - mid[0], p[1] - mid[1], p[2] - mid[2]};
        float radius = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]) * 0.707f;
        const float corners[4][2] = {{-1, 1}, {1, 1}, {1, -1}, {-1, -1}};  // left is minus right
        const float st[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
        uint32_t base = static_cast<uint32_t>(out.positions.size() / 3);
        for (int c = 0; c < 4; ++c) {
            for (int a = 0; a < 3; ++a) {
                out.positions.push_back(mid[a] + (corners[c][0] * eye.right[a] + corners[c][1] * eye.up[a]) * radius);
                out.normals.push_back(eye.toward[a]);
            }
            out.texCoords.push_back(st[c][0]);
            out.texCoords.push_back(st[c][1]);
        }
        for (uint32_t k : {0u, 1u, 3u, 3u, 1u, 2u})
            out.indices.push_back(base + k);
    }
    v = std::move(out);
}

void ApplyDeforms(const ShaderScript& script, const Eye& eye, Vertices& v)
{
    for (const Deform& deform : script.deforms) {
        switch (deform.kind) {
        case Deform::Kind::kWave: DeformWave(deform, v); break;
        case Deform::Kind::kNormal: DeformNormals(deform, v); break;
        case Deform::Kind::kMove: DeformMove(deform, v); break;
        case Deform::Kind::kAutosprite: DeformAutosprite(eye, v); break;
        }
    }
}

// The stage's texture coordinates of every vertex.
void StageTexCoords(const ShaderStage& stage, const Eye& eye, const Vertices& v, std::vector<float>& st)
{
    size_t count = v.positions.size() / 3;
    st.resize(2 * count);
    for (size_t i = 0; i < count; ++i) {
        const float* p = &v.positions[3 * i];
        const float* n = &v.normals[3 * i];
        float q[3], coordinates[2] = {v.texCoords[2 * i], v.texCoords[2 * i + 1]};
        FileAxes(p, q);
        if (stage.tcGen == TexGen::kEnvironment) {
            float viewer3[3] = {eye.origin[0] - p[0], eye.origin[1] - p[1], eye.origin[2] - p[2]};
            Normalize(viewer3);
            float d = n[0] * viewer3[0] + n[1] * viewer3[1] + n[2] * viewer3[2], reflected[3];
            for (int a = 0; a < 3; ++a)
                reflected[a] = n[a] * 2 * d - viewer3[a];
            coordinates[0] = 0.5f + reflected[0] * 0.5f;  // the file's y and z
            coordinates[1] = 0.5f - reflected[1] * 0.5f;
        } else if (stage.tcGen == TexGen::kVector) {
            for (int k = 0; k < 2; ++k)
                coordinates[k] = q[0] * stage.tcVectors[k][0] + q[1] * stage.tcVectors[k][1] + q[2] * stage.tcVectors[k][2];
        }
        ApplyTexMods(stage, viewer.shaderTime, q, coordinates);
        st[2 * i] = coordinates[0], st[2 * i + 1] = coordinates[1];
    }
}

// The game's specular alpha: a light far up and off to one side, seen by the eye.
void SpecularAlpha(const Eye& eye, const Vertices& v, const float rgb[3], std::vector<float>& colours)
{
    const float light[3] = {1980, 96, -960};
    size_t count = v.positions.size() / 3;
    colours.resize(4 * count);
    for (size_t i = 0; i < count; ++i) {
        const float *p = &v.positions[3 * i], *n = &v.normals[3 * i];
        float toLight[3] = {light[0] - p[0], light[1] - p[1], light[2] - p[2]};
        float toEye[3] = {eye.origin[0] - p[0], eye.origin[1] - p[1], eye.origin[2] - p[2]};
        Normalize(toLight);
        Normalize(toEye);
        float d = n[0] * toLight[0] + n[1] * toLight[1] + n[2] * toLight[2], l = 0;
        for (int a = 0; a < 3; ++a)
            l += (n[a] * 2 * d - toLight[a]) * toEye[a];
        float alpha = l < 0 ? 0 : std::min(1.0f, l * l * l * l);
        std::copy(rgb, rgb + 3, &colours[4 * i]);
        colours[4 * i + 3] = alpha;
    }
}

// The picture a pass shows now: animMap's run at its frequency on the clock.
int32_t PassPicture(const ShaderPass& pass)
{
    if (pass.pictures.empty())
        return -1;
    int count = static_cast<int>(pass.pictures.size());
    double frame = viewer.shaderTime * pass.stage->animFrequency;
    int index = std::isfinite(frame) && frame > 0 ? static_cast<int>(std::fmod(std::floor(frame), count)) : 0;
    return pass.pictures[index];
}

void BindPassTexture(const ModelObject* model, const ShaderPass& pass)
{
    int32_t picture = PassPicture(pass);
    uint32_t texture = picture >= 0 && picture < static_cast<int>(model->pictureTextures.size())
                           ? model->pictureTextures[picture]
                           : 0;
    if (!texture) {
        glDisable(GL_TEXTURE_2D);  // the white image: the colour alone
        return;
    }
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    GLint wrap = pass.stage->clamp ? GL_CLAMP_TO_EDGE : GL_REPEAT;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
}

void ApplyBlendAndTests(const ShaderStage& stage)
{
    if (stage.blend) {
        glEnable(GL_BLEND);
        // A picture's alpha says what covers its background: blended like any
        // colour over it, but for a stage that leaves the background where it
        // is black (add, screen), which covers nothing: its brightness is
        // taken as cover when the picture is read.
        bool leavesBlack = stage.blendDestination == BlendFactor::kOne ||
                           stage.blendDestination == BlendFactor::kOneMinusSrcColor;
        glBlendFuncSeparate(GlFactor(stage.blendSource), GlFactor(stage.blendDestination),
                            leavesBlack ? GL_ZERO : GL_ONE, leavesBlack ? GL_ONE : GL_ONE_MINUS_SRC_ALPHA);
    } else {
        glDisable(GL_BLEND);
    }
    switch (stage.alphaTest) {
    case AlphaTest::kNone: glDisable(GL_ALPHA_TEST); break;
    case AlphaTest::kGreaterThanZero: glEnable(GL_ALPHA_TEST), glAlphaFunc(GL_GREATER, 0.0f); break;
    case AlphaTest::kLessThanHalf: glEnable(GL_ALPHA_TEST), glAlphaFunc(GL_LESS, 0.5f); break;
    case AlphaTest::kAtLeastHalf: glEnable(GL_ALPHA_TEST), glAlphaFunc(GL_GEQUAL, 0.5f); break;
    }
    glDepthMask(stage.depthWrite ? GL_TRUE : GL_FALSE);
    glDepthFunc(stage.depthEqual ? GL_EQUAL : GL_LEQUAL);
}

// The colour every vertex of the pass shares; lit stages take the lights'.
void ApplyColour(const ShaderStage& stage, GLint environment)
{
    float rgba[4];
    StageColour(stage, viewer.shaderTime, rgba);
    if (StageIsLit(stage) && viewer.lightingEnabled) {
        glEnable(GL_LIGHTING);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, environment);
        return;
    }
    glDisable(GL_LIGHTING);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glColor4fv(rgba);
}

void LoadTextureMatrix(const TexMatrix& t)
{
    const float m[16] = {t.a, t.d, 0, 0, t.b, t.e, 0, 0, 0, 0, 1, 0, t.c, t.f, 0, 1};
    glMatrixMode(GL_TEXTURE);
    glLoadMatrixf(m);
    glMatrixMode(GL_MODELVIEW);
}

// tcGen vector as object planes (the file's axes are OpenGL's z, x, y), and tcMods as the texture matrix.
void ApplyTexCoords(const ShaderStage& stage)
{
    if (stage.tcGen == TexGen::kVector) {
        for (int k = 0; k < 2; ++k) {
            const float* v = stage.tcVectors[k];
            const float plane[4] = {v[1], v[2], v[0], 0};
            GLenum coordinate = k == 0 ? GL_S : GL_T;
            glTexGeni(coordinate, GL_TEXTURE_GEN_MODE, GL_OBJECT_LINEAR);
            glTexGenfv(coordinate, GL_OBJECT_PLANE, plane);
        }
        glEnable(GL_TEXTURE_GEN_S);
        glEnable(GL_TEXTURE_GEN_T);
    }
    TexMatrix matrix;
    StageTexMatrix(stage, viewer.shaderTime, matrix);
    LoadTextureMatrix(matrix);
}

void ResetTexCoords()
{
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
    LoadTextureMatrix(TexMatrix());
}

void ApplyCull(CullFace cull)
{
    if (cull == CullFace::kNone) {
        glDisable(GL_CULL_FACE);
        return;
    }
    glEnable(GL_CULL_FACE);
    glCullFace(cull == CullFace::kBack ? GL_FRONT : GL_BACK);
}

void RestoreState(GLint environment)
{
    glDisable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ZERO);
    glDisable(GL_ALPHA_TEST);
    glDepthMask(GL_TRUE);
    glDepthFunc(GL_LESS);
    ApplyCull(CullFace::kFront);
    ResetTexCoords();
    glDisableClientState(GL_COLOR_ARRAY);
    glDisable(GL_COLOR_MATERIAL);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, environment);
    if (viewer.lightingEnabled)
        glEnable(GL_LIGHTING);
    else
        glDisable(GL_LIGHTING), glColor3f(1, 1, 1);
}

// One pass from vertices worked out now: texture coordinates, and colours
// for specular alpha.
void DrawVertexPass(const ShaderPass& pass, const Eye& eye, const Vertices& v, bool sendNormals)
{
    const ShaderStage& stage = *pass.stage;
    std::vector<float> st, colours;
    StageTexCoords(stage, eye, v, st);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, v.positions.data());
    if (sendNormals) {
        glEnableClientState(GL_NORMAL_ARRAY);
        glNormalPointer(GL_FLOAT, 0, v.normals.data());
    }
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glTexCoordPointer(2, GL_FLOAT, 0, st.data());
    if (stage.alphaGen == AlphaGen::kLightingSpecular) {
        float rgba[4], diffuse[4];
        StageColour(stage, viewer.shaderTime, rgba);
        if (StageIsLit(stage) && viewer.lightingEnabled) {
            glGetMaterialfv(GL_FRONT, GL_DIFFUSE, diffuse);
            std::copy(diffuse, diffuse + 3, rgba);
            glColorMaterial(GL_FRONT_AND_BACK, GL_DIFFUSE);
            glEnable(GL_COLOR_MATERIAL);
        }
        SpecularAlpha(eye, v, rgba, colours);
        glEnableClientState(GL_COLOR_ARRAY);
        glColorPointer(4, GL_FLOAT, 0, colours.data());
    }
    LoadTextureMatrix(TexMatrix());  // worked out above, vertex by vertex
    if (!v.indices.empty())
        glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(v.indices.size()), GL_UNSIGNED_INT, v.indices.data());
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisable(GL_COLOR_MATERIAL);
}

// Off-screen pictures keep in their alpha what the model covers: the
// opaque passes leave it alone, then it is set where they wrote depth.
void MaskAlpha(bool keep, GLboolean mask[4])
{
    glGetBooleanv(GL_COLOR_WRITEMASK, mask);
    if (!keep)
        glColorMask(mask[0], mask[1], mask[2], GL_FALSE);
}

void CoverAlpha(const GLboolean mask[4], const std::function<void()>& geometry)
{
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, mask[3]);
    glDisable(GL_TEXTURE_2D), glDisable(GL_LIGHTING), glDisable(GL_BLEND), glDisable(GL_ALPHA_TEST);
    glDepthMask(GL_FALSE);
    glDepthFunc(GL_EQUAL);
    glColor4f(1, 1, 1, 1);
    geometry();
    glColorMask(mask[0], mask[1], mask[2], mask[3]);
}

}  // namespace

const ModelShader* PartShader(const ModelObject* model, int part)
{
    int skin = DrawnSkin(model);
    if (skin < 0 || skin >= model->numSkins || !model->drawn)
        return nullptr;
    const std::vector<DrawnPart>& parts = model->drawn->parts;
    int slot = part < static_cast<int>(parts.size()) ? parts[part].skinSlot : part;
    const std::vector<int32_t>& shaders = model->skins[skin].partShaders;
    if (slot < 0 || slot >= static_cast<int>(shaders.size()))
        return nullptr;
    int32_t shader = shaders[slot];
    return shader >= 0 && shader < static_cast<int>(model->shaders.size()) ? &model->shaders[shader] : nullptr;
}

float PartSort(const ModelObject* model, int part)
{
    const ModelShader* shader = model->texturing ? PartShader(model, part) : nullptr;
    return shader ? shader->sort : kSortOpaque;
}

bool PartIsOpaque(const ModelObject* model, int part)
{
    return PartSort(model, part) <= kSortOpaque;
}

bool PartNeedsVertices(const ModelObject* model, int part)
{
    if (!model->drawn || model->shaders.empty())
        return false;
    const std::vector<DrawnPart>& parts = model->drawn->parts;
    int slot = part < static_cast<int>(parts.size()) ? parts[part].skinSlot : part;
    for (int skin = 0; skin < model->numSkins && slot >= 0; ++skin) {
        const std::vector<int32_t>& shaders = model->skins[skin].partShaders;
        if (slot < static_cast<int>(shaders.size()) && shaders[slot] >= 0 &&
            model->shaders[shaders[slot]].perVertex)
            return true;
    }
    return false;
}

void DrawShadedPart(const ModelObject* model, const ModelShader& shader, const std::function<void()>& geometry,
                    const FrameGeometry* vertices)
{
    const ShaderScript& script = *shader.script;
    GLint environment = GL_MODULATE;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &environment);
    ApplyCull(script.cull);
    Vertices worked;
    Eye eye{};
    bool perVertex = shader.perVertex && vertices;
    if (perVertex) {
        eye = EyeInModel();
        Unpack(*vertices, worked);
        ApplyDeforms(script, eye, worked);
    }
    bool wroteDepth = false;
    GLboolean mask[4];
    for (const ShaderPass& pass : shader.passes) {
        const ShaderStage& stage = *pass.stage;
        MaskAlpha(stage.blend || !viewer.pictureAlpha, mask);
        BindPassTexture(model, pass);
        ApplyBlendAndTests(stage);
        ApplyColour(stage, environment);
        wroteDepth = wroteDepth || stage.depthWrite;
        if (perVertex) {
            DrawVertexPass(pass, eye, worked, vertices->sendNormals || StageIsLit(stage));
        } else {
            ApplyTexCoords(stage);
            geometry();
            ResetTexCoords();
        }
        glColorMask(mask[0], mask[1], mask[2], mask[3]);
    }
    if (viewer.pictureAlpha && wroteDepth && mask[3]) {
        if (perVertex) {
            Vertices& v = worked;
            CoverAlpha(mask, [&v] {
                glEnableClientState(GL_VERTEX_ARRAY);
                glVertexPointer(3, GL_FLOAT, 0, v.positions.data());
                if (!v.indices.empty())
                    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(v.indices.size()), GL_UNSIGNED_INT,
                                   v.indices.data());
                glDisableClientState(GL_VERTEX_ARRAY);
            });
        } else {
            CoverAlpha(mask, geometry);
        }
    }
    RestoreState(environment);
}
