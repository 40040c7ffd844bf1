#include "support/gl_context.h"

#include <GL/freeglut.h>

#include "lighting/lights.h"
#include "looks/palettes.h"
#include "looks/skins.h"
#include "platform/chooser.h"
#include "platform/error_log.h"
#include "render/animation.h"
#include "render/textures.h"
#include "scene/model_list.h"
#include "scene/skins.h"
#include "state/viewer_state.h"
#include "support/test_files.h"
#include "view/projection.h"
#include "viewer/startup.h"

namespace {

void NoDisplay() {}

// Entry i is (i, 255 - i, i / 2): every index has its own colour.
void FillTestPalettes()
{
    for (int i = 0; i < 256; ++i) {
        uint8_t entry[3] = {uint8_t(i), uint8_t(255 - i), uint8_t(i / 2)};
        for (int c = 0; c < 3; ++c)
            mdlPalette[3 * i + c] = md2Palette[3 * i + c] = entry[c];
    }
    mdlPaletteLoaded = md2PaletteLoaded = true;
}

}  // namespace

void RequireGlContext()
{
    static bool open = false;
    if (open)
        return;
    int argc = 1;
    char name[] = "tarnivel_tests";
    char* argv[] = {name, nullptr};
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowPosition(5, 5);
    glutInitWindowSize(640, 480);
    glutCreateWindow("Tarnivel tests");
    glutDisplayFunc(NoDisplay);
    open = true;
}

void RemoveAllModels()
{
    FILE* log = errorLog;
    errorLog = nullptr;
    while (viewer.currentModel)
        RemoveModel();
    errorLog = log;
}

void ResetViewer()
{
    RequireGlContext();
    RemoveAllModels();
    InitDefaults();
    viewer.windowWidth = 640;
    viewer.windowHeight = 480;
    viewer.captureFrameCount = viewer.captureFramesLeft = viewer.captureStepMs = 0;
    FillTestPalettes();
    fileChooser = ConsoleFileChooser;
    consoleInput = stdin;
    // Undo what earlier tests in this process may have left.
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    InitGL();
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    InitLighting();
    InitTextureEnvironment();
    Reshape(640, 480);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    while (glGetError() != GL_NO_ERROR) {
    }
}

std::vector<uint8_t> TextureRgb(unsigned texture, int* width, int* height)
{
    GLint w = 0, h = 0;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
    std::vector<uint8_t> texels(static_cast<size_t>(w) * h * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    if (width && height)
        *width = w, *height = h;
    return texels;
}

ChooserStandIn standIn;

ChooserResult StandInChooser(ChooserKind kind, const char* prompt, char* buffer)
{
    standIn.kind = kind;
    standIn.prompt = prompt;
    standIn.proposed = buffer;
    snprintf(buffer, kChooserBufferSize, "%s", standIn.answer.c_str());
    return standIn.answer.empty() ? ChooserResult::kCancelled : standIn.result;
}

void ViewerTest::SetUp()
{
    ResetViewer();
    standIn = ChooserStandIn();
    fileChooser = StandInChooser;
}

ModelObject* ViewerTest::Load(const writers::Md2Model& model, const std::string& name)
{
    return AddModel(dir.Write(name, writers::WriteMd2(model)).c_str());
}

ModelObject* ViewerTest::Load(const writers::MdlModel& model, const std::string& name)
{
    return AddModel(dir.Write(name, writers::WriteMdl(model)).c_str());
}

void ViewerTest::TearDown()
{
    RemoveAllModels();
    fileChooser = ConsoleFileChooser;
    consoleInput = stdin;
}

std::string Printed(const std::function<void()>& call)
{
    testing::internal::CaptureStdout();
    call();
    return testing::internal::GetCapturedStdout();
}

ErrorCapture::ErrorCapture() : saved_(errorLog), file_(tmpfile())
{
    errorLog = file_;
}

ErrorCapture::~ErrorCapture()
{
    errorLog = saved_;
    fclose(file_);
}

std::string ErrorCapture::Text() const
{
    fflush(file_);
    return ReadText("/proc/self/fd/" + std::to_string(fileno(file_)));
}

int ErrorCapture::Count(const std::string& text) const { return Occurrences(Text(), text); }
