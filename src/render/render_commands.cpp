#include "render/render_commands.h"

#include <GL/gl.h>

#include "platform/error_log.h"
#include "render/draw.h"
#include "render/remesh.h"
#include "state/viewer_state.h"

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

void ToggleInterpolationMethod(float)
{
    viewer.interpolationMethod = viewer.interpolationMethod >= kInterpCubic ? 0 : viewer.interpolationMethod + 1;
    UpdateAllDisplayLists();
}

void ToggleGlCommands(float)
{
    viewer.useGlCommands = !viewer.useGlCommands;
    if (viewer.currentModel)
        UpdateModelDisplayList(viewer.currentModel, 0.0f);
}

namespace {

// Triangles that go through the remesher: those of every part but the
// ones drawn from their GL commands.
int64_t RemeshedTriangles()
{
    int64_t total = 0;
    for (ModelObject* model = viewer.modelList.get(); model; model = model->next.get()) {
        if (!model->drawn)
            continue;
        for (const DrawnPart& part : model->drawn->parts)
            if (!viewer.useGlCommands || !part.commands)
                total += static_cast<int64_t>(part.corners.size() / 3);
    }
    return total;
}

}  // namespace

void ToggleRemeshing(float)
{
    viewer.remeshing = !viewer.remeshing;
    UpdateAllDisplayLists();
}

void ChangeRemeshThreshold(float amount)
{
    if (!viewer.remeshing && amount >= 0)
        return;
    int threshold = viewer.remeshThreshold + static_cast<int>(amount);
    if (threshold < 0)
        threshold = 0;
    if (threshold > viewer.remeshThreshold) {
        int64_t triangles = RemeshTriangleCount(RemeshedTriangles(), threshold);
        if (triangles > kMaxRemeshTriangles) {
            ReportError("ChangeRemeshThreshold: a threshold of %d would draw more than %lld "
                        "triangles; it stays at %d",
                        threshold, static_cast<long long>(kMaxRemeshTriangles),
                        viewer.remeshThreshold);
            return;
        }
    }
    viewer.remeshThreshold = threshold;
    RemeshSetDepth(threshold);
    UpdateAllDisplayLists();
}
