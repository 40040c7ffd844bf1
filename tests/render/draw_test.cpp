#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <set>

#include "formats/md2.h"
#include "formats/vertex_normals.h"
#include "render/animation.h"
#include "render/frame_window.h"
#include "render/draw.h"
#include "render/render_commands.h"
#include "scene/model_list.h"
#include "state/viewer_state.h"
#include "support/feedback.h"
#include "support/gl_context.h"
#include "support/test_files.h"

namespace {

class Drawing : public ViewerTest {
protected:
    std::vector<FeedbackPolygon> Draw(ModelObject* model, float fraction = 0.0f)
    {
        UpdateModelDisplayList(model, fraction);
        return CaptureList(model->displayList);
    }
};

// Where the file's vertex v of frame f lands: file (x, y, z) sent as (y, z, x).
void ExpectVertexOfFrame(const FeedbackVertex& sent, int v, float f)
{
    const float by[4] = {0, 40, 40, 0}, bz[4] = {0, 0, 60, 60};
    float x = 1 * (10 * v + 4 * f) + 10, y = 2 * (by[v] + 8 * f) + 20, z = 4 * (bz[v] + 12 * f) + 30;
    EXPECT_NEAR(sent.position[0], y, 0.01) << "vertex " << v << " frame " << f;
    EXPECT_NEAR(sent.position[1], z, 0.01) << "vertex " << v << " frame " << f;
    EXPECT_NEAR(sent.position[2], x, 0.01) << "vertex " << v << " frame " << f;
}

// Lit only by a light along +x, so the colour tells which normal was used.
float LitRedWithPresetNormal(GLuint list, float normalX)
{
    glEnable(GL_LIGHTING);
    for (int i = 1; i < 8; ++i)
        glDisable(GL_LIGHT0 + i);
    glEnable(GL_LIGHT0);
    const float direction[4] = {1, 0, 0, 0}, white[4] = {1, 1, 1, 1}, black[4] = {0, 0, 0, 1};
    glLightfv(GL_LIGHT0, GL_POSITION, direction);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
    glLightfv(GL_LIGHT0, GL_AMBIENT, black);
    glLightfv(GL_LIGHT0, GL_SPECULAR, black);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, black);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, white);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, black);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, black);
    glDisable(GL_NORMALIZE);
    glNormal3f(normalX, 0, 0);
    std::vector<FeedbackPolygon> polygons = CaptureList(list);
    return polygons.empty() ? -1.0f : polygons[0][0].colour[0];
}

bool SendsNormals(GLuint list)
{
    return LitRedWithPresetNormal(list, 1.0f) == LitRedWithPresetNormal(list, -1.0f);
}

bool SendsTexCoords(GLuint list)
{
    glTexCoord2f(7, 7);
    std::vector<FeedbackPolygon> polygons = CaptureList(list);
    return !polygons.empty() && polygons[0][0].texCoord[0] != 7.0f;
}

bool Same(const std::vector<FeedbackPolygon>& a, const std::vector<FeedbackPolygon>& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t p = 0; p < a.size(); ++p)
        for (size_t v = 0; v < a[p].size(); ++v)
            if (memcmp(&a[p][v], &b[p][v], sizeof(FeedbackVertex)) != 0)
                return false;
    return true;
}

}  // namespace

TEST_F(Drawing, TrianglesAndGlCommandsSendFileAxesAsYZX)
{
    viewer.useGlCommands = false;
    ModelObject* model = Load(TinyMd2());
    std::vector<FeedbackPolygon> polygons = Draw(model);
    ASSERT_EQ(polygons.size(), 2u);
    for (int k = 0; k < 3; ++k)
        ExpectVertexOfFrame(polygons[0][k], k, 0);
    ExpectVertexOfFrame(polygons[1][2], 3, 0);
    viewer.useGlCommands = true;
    std::vector<FeedbackPolygon> fans = CaptureDrawing([model] { DrawModelFrame(model, 0, 0.0f); });
    ASSERT_EQ(fans.size(), 2u);
    ExpectVertexOfFrame(fans[1][1], 2, 0);
}

TEST_F(Drawing, BlendsFollowTheMethodAndStopAtOne)
{
    viewer.useGlCommands = false;
    ModelObject* model = Load(TinyMd2());
    model->prevPrevFrame = 0, model->prevFrame = 0, model->currentFrame = 1, model->nextFrame = 2;
    // Cubic runs a frame behind: prevFrame at 0, currentFrame at 1; the window
    // 0, 0, 1, 2 puts the Catmull-Rom point at 0.4375 of the step at 0.5.
    const struct {
        uint8_t method;
        float fraction, frame;
    } cases[] = {{0, 0.5f, 1}, {1, 0, 1},      {1, 0.5f, 1.5f},     {1, 1, 2}, {1, 1.5f, 2},
                 {2, 0, 0},    {2, 0.5f, 0.4375f}, {2, 1, 1}, {2, 1.5f, 1}};
    for (const auto& c : cases) {
        viewer.interpolationMethod = c.method;
        ExpectVertexOfFrame(Draw(model, c.fraction)[0][1], 1, c.frame);
    }
    ModelObject* single = Load(TinyMd2({"only"}));  // nextFrame 1 is outside: frame 0 is read
    viewer.interpolationMethod = 1;
    ExpectVertexOfFrame(Draw(single, 0.5f)[0][0], 0, 0);
    EXPECT_EQ(WindowFrame(single, -3), 0);
}

TEST_F(Drawing, MdlSeamVerticesShiftOnlyInBackFacingTriangles)
{
    ModelObject* model = Load(TinyMdl());
    std::vector<FeedbackPolygon> polygons = Draw(model);
    ASSERT_EQ(polygons.size(), 2u);
    // Triangle 1 (back) holds vertex 3 on the seam: s 1 + 8 / 2 of 8.
    EXPECT_FLOAT_EQ(polygons[1][2].texCoord[0], 5.0f / 8);
    EXPECT_FLOAT_EQ(polygons[1][2].texCoord[1], 6.0f / 8);
    EXPECT_FLOAT_EQ(polygons[1][0].texCoord[0], 0.0f);  // vertex 0 is not on the seam
    EXPECT_FLOAT_EQ(polygons[0][2].texCoord[0], 2.0f / 8);

    // Found by fuzzing: a seam coordinate near the int limit on a huge skin.
    writers::MdlModel mdl = TinyMdl(2, 0);
    mdl.skinWidth = 1103101952;
    mdl.texCoords[3] = {1, 1886417008, 0};
    ModelObject* huge = Load(mdl, "huge.mdl");
    ASSERT_NE(huge, nullptr);
    huge->texturing = true;
    EXPECT_NEAR(Draw(huge)[1][2].texCoord[0], (1886417008.0 + 551550976.0) / 1103101952.0, 1e-5);
}

TEST_F(Drawing, NormalsAndTexCoordsAreSentExactlyWhenNeeded)
{
    viewer.useGlCommands = false;
    ModelObject* model = Load(TinyMd2());
    const struct {
        bool lighting, remeshing, commands, normals;
    } cases[] = {{false, false, false, false}, {true, false, false, true}, {false, true, false, true},
                 {true, true, false, true},    {false, true, true, false}};  // GL commands are never remeshed
    for (const auto& c : cases) {
        viewer.lightingEnabled = c.lighting;
        viewer.remeshing = c.remeshing;
        viewer.useGlCommands = c.commands;
        viewer.remeshThreshold = 0;
        UpdateModelDisplayList(model, 0.0f);
        EXPECT_EQ(SendsNormals(model->displayList), c.normals) << c.lighting << c.remeshing << c.commands;
    }
    viewer.remeshing = viewer.useGlCommands = false;
    ToggleTexturing();  // no skin: stays off
    EXPECT_FALSE(model->texturing);
    EXPECT_FALSE(SendsTexCoords(model->displayList));
    model->texturing = true;
    std::vector<FeedbackPolygon> polygons = Draw(model);
    EXPECT_FLOAT_EQ(polygons[0][1].texCoord[0], 1.0f);  // (8, 0) of an 8 x 8 skin
    EXPECT_FLOAT_EQ(polygons[0][2].texCoord[1], 1.0f);
}

TEST_F(Drawing, RemeshingSplitsEachTriangleIntoFourPerLevel)
{
    ModelObject* mdl = Load(TinyMdl());
    viewer.remeshing = true;
    for (int threshold : {0, 1, 2}) {
        viewer.remeshThreshold = threshold;
        std::vector<FeedbackPolygon> polygons = Draw(mdl);
        EXPECT_EQ(polygons.size(), 2u << (2 * threshold)) << threshold;
        for (const FeedbackPolygon& p : polygons)
            EXPECT_EQ(p.size(), 3u);
    }
    // With GL commands on, MD2 models are drawn whole while MDL models are split.
    ModelObject* md2 = Load(TinyMd2());
    viewer.remeshThreshold = 1;
    EXPECT_EQ(CaptureDrawing([md2] { DrawModelFrame(md2, 0, 0.0f); }).size(), 2u);
    // An MD2 without usable GL commands is drawn from its triangles: split too.
    for (std::vector<int32_t> commands : {std::vector<int32_t>{}, std::vector<int32_t>{0}}) {
        writers::Md2Model bare = TinyMd2();
        bare.glCommands = commands;
        EXPECT_EQ(Draw(Load(bare)).size(), 8u) << commands.size();
    }
    viewer.useGlCommands = false;
    EXPECT_EQ(Draw(md2).size(), 8u);
}

// The running clock draws from arrays what a display list would hold,
// value for value, whatever the method, path or window.
TEST_F(Drawing, TheClocksArraysDrawExactlyWhatTheListHolds)
{
    writers::Md2Model bare = TinyMd2({"a1", "a2", "a3", "a4"});
    bare.glCommands.clear();
    ModelObject* models[] = {Load(TinyMd2({"a1", "a2", "a3", "a4"})), Load(bare), Load(TinyMdl())};
    for (ModelObject* model : models) {
        for (uint8_t method : {0, 1, 2}) {
            for (bool remesh : {false, true}) {
                viewer.interpolationMethod = method;
                viewer.remeshing = remesh;
                model->prevPrevFrame = 0, model->prevFrame = 1, model->currentFrame = 2, model->nextFrame = 0;
                for (float fraction : {0.25f, 0.75f}) {
                    std::vector<FeedbackPolygon> list = Draw(model, fraction);
                    UpdateModelFrameArrays(model, fraction);
                    EXPECT_TRUE(model->drawnFromArrays);
                    EXPECT_TRUE(Same(list, CaptureDrawing([model] { DrawModelGeometry(model); })));
                }
                model->currentFrame = 1;  // a new window: kept cubic terms must not linger
                UpdateModelFrameArrays(model, 0.5f);
                std::vector<FeedbackPolygon> arrays = CaptureDrawing([model] { DrawModelGeometry(model); });
                SettleStillModels();  // the clock is stopped: the list takes the arrays' geometry
                EXPECT_FALSE(model->drawnFromArrays);
                EXPECT_TRUE(Same(CaptureList(model->displayList), arrays)) << int(method) << remesh;
                EXPECT_TRUE(Same(Draw(model, 0.5f), arrays)) << int(method) << remesh;
            }
        }
    }
    // Only a running clock draws from arrays; a step without interpolation is shown a while: a list.
    ModelObject* model = models[0];
    viewer.interpolationMethod = 1;
    model->lastAdvanceTime = 0;
    const struct {
        bool animating;
        int now;
        uint8_t method;
        bool arrays;
    } ticks[] = {{false, 50, 1, false}, {true, 60, 1, true}, {true, 150, 1, true}, {true, 260, 0, false}};
    for (const auto& t : ticks) {
        viewer.animating = t.animating;
        viewer.interpolationMethod = t.method;
        AnimateModel(model, t.now);
        EXPECT_EQ(model->drawnFromArrays, t.arrays) << t.now;
    }
}

namespace {

// The normal each vertex was sent with, read back from the colours a
// directional light along each axis gives it: red = max(0, n . light).
std::vector<std::array<float, 3>> SentNormals(GLuint list)
{
    std::vector<std::array<float, 3>> normals;
    for (int axis = 0; axis < 3; ++axis) {
        for (float sign : {1.0f, -1.0f}) {
            float direction[3] = {0, 0, 0};
            direction[axis] = sign;
            LitRedWithPresetNormal(list, 0.0f);  // lights the scene as it needs
            const float position[4] = {direction[0], direction[1], direction[2], 0};
            glLightfv(GL_LIGHT0, GL_POSITION, position);
            std::vector<FeedbackPolygon> polygons = CaptureList(list);
            size_t i = 0;
            for (const FeedbackPolygon& polygon : polygons) {
                for (const FeedbackVertex& vertex : polygon) {
                    if (normals.size() <= i)
                        normals.push_back({0, 0, 0});
                    normals[i++][axis] += sign * vertex.colour[0];
                }
            }
        }
    }
    return normals;
}

}  // namespace

TEST_F(Drawing, AFrameWithoutNormalsIsLitByItsTrianglesAndAFrameWithNormalsByItsOwn)
{
    // Frame 0 gives every vertex normal 7: no normals. Frame 1 keeps its own.
    writers::Md2Model md2 = TinyMd2({"flat", "real"});
    for (writers::Vertex& v : md2.frames[0].vertices)
        v.normal = 7;
    md2.glCommands.clear();
    ModelObject* model = Load(md2);
    glDisable(GL_NORMALIZE);

    // Each vertex the normalised sum of its triangles' normals, weighted by
    // their area (worked out by hand, in OpenGL's axes): vertices 0 and 2 are
    // corners of both triangles. Frame 1: vertex v has table normal v + 1.
    const float fromTriangles[4][3] = {{0, 0.083045f, -0.996546f}, {0.123929f, 0.04131f, -0.991431f},
                                       {0, 0.083045f, -0.996546f}, {-0.123091f, 0.123091f, -0.984732f}};
    float own[4][3];
    for (int v = 0; v < 4; ++v)
        own[v][0] = vertexNormalTable[v + 1][1], own[v][1] = vertexNormalTable[v + 1][2],
        own[v][2] = vertexNormalTable[v + 1][0];
    for (int frame : {1, 0}) {
        model->prevPrevFrame = model->prevFrame = model->currentFrame = model->nextFrame = frame;
        std::vector<FeedbackPolygon> sent = Draw(model);
        std::vector<std::array<float, 3>> normals = SentNormals(model->displayList);
        size_t i = 0;
        for (const FeedbackPolygon& tri : sent)
            for (const FeedbackVertex& v : tri) {
                int vertex = static_cast<int>(std::lround(v.position[2] - 10 - 4 * frame) / 10);  // x = 10v + 4f + 10
                const float* want = frame == 0 ? fromTriangles[vertex] : own[vertex];
                for (int k = 0; k < 3; ++k)
                    EXPECT_NEAR(normals[i][k], want[k], 1e-4) << "frame " << frame << " vertex " << vertex;
                ++i;
            }
    }
    // On screen, frame 0 lit by one directional light: shades, not one flat colour.
    LitRedWithPresetNormal(model->displayList, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 320, 0, 240, -1000, 1000);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_CULL_FACE);
    glCallList(model->displayList);
    std::vector<uint8_t> pixels(640 * 480 * 3);
    glReadPixels(0, 0, 640, 480, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    std::set<uint8_t> shades;
    for (size_t p = 0; p < pixels.size(); p += 3)
        shades.insert(pixels[p]);
    EXPECT_GT(shades.size(), 20u);
}
