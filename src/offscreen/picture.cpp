#include "offscreen/picture.h"

#include <GL/gl.h>

#include <strings.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "formats/png_writer.h"
#include "lighting/lights.h"
#include "lighting/materials.h"
#include "looks/palettes.h"
#include "model/load.h"
#include "offscreen/egl_context.h"
#include "platform/error_log.h"
#include "render/animation.h"
#include "render/draw.h"
#include "render/textures.h"
#include "scene/model_list.h"
#include "scene/q3_player.h"
#include "scene/skins.h"
#include "state/viewer_state.h"
#include "view/framing.h"
#include "viewer/display.h"
#include "viewer/startup.h"

namespace {

// The viewer's start-up state, for a window of the picture's size.
void SetUpViewer(const PictureRequest& request)
{
    InitDefaults();
    viewer.windowWidth = request.width;
    viewer.windowHeight = request.height;
    viewer.showOverlay = viewer.showHelp = false;
    viewer.fieldOfView = request.fieldOfView;
    viewer.interpolationMethod = request.interpolation;
    viewer.textureSizeLimit = request.textureSizeLimit;
    viewer.pictureAlpha = true;
    LoadMDLPalette();
    LoadMD2Palette();
    InitGL();
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    InitLighting();
    InitTextureEnvironment();
    Reshape(request.width, request.height);
    if (request.background >= 0) {
        const float* rgb = backgroundColours[request.background];
        glClearColor(rgb[0], rgb[1], rgb[2], 1.0f);
    }
}

bool FindFrame(const ModelObject* model, const std::string& wanted, int* frame)
{
    if (wanted.empty()) {
        *frame = 0;
        return true;
    }
    bool number = std::all_of(wanted.begin(), wanted.end(), [](char c) { return isdigit(static_cast<unsigned char>(c)); });
    if (number) {
        *frame = atoi(wanted.c_str());
        return wanted.size() < 10 && *frame < model->numFrames;
    }
    for (int f = 0; f < model->numFrames; ++f) {
        if (strncmp(model->frameNames[f].text, wanted.c_str(), sizeof model->frameNames[f].text) == 0 &&
            wanted.size() <= sizeof model->frameNames[f].text) {
            *frame = f;
            return true;
        }
    }
    return false;
}

// What a picture of a model that loaded lacks, or empty: the first thing
// reported while it loaded, or skins its file names that were not found.
std::string Shortcoming(const ModelObject* model, const GatheredReports& reports)
{
    // The game's scripts' own faults are no shortcoming of the model.
    std::string first = reports.FirstError("ReadShaderScript: ");
    if (!first.empty())
        return first;
    if (model->drawn && model->drawn->externalSkins > 0 && model->numSkins == 0)
        return "the skins it names are not there; it is drawn untextured";
    return std::string();
}

// The model at the asked frame and skin, framed; the failure in error, or
// what it lacks in warning.
ModelObject* PrepareModel(const PictureRequest& request, std::string& error, std::string& warning)
{
    GatheredReports reports;
    SetModelBody(request.body);
    ModelObject* model = OpenModel(request.model, request.weapon);
    if (!model) {
        error = reports.FirstError();
        return nullptr;
    }
    warning = Shortcoming(model, reports);
    int frame = 0;
    if (!FindFrame(model, request.firstFrame >= 0 ? std::to_string(request.firstFrame) : request.frame, &frame)) {
        error = "the model has no frame " + (request.firstFrame >= 0 ? std::to_string(request.firstFrame) : request.frame);
        return nullptr;
    }
    if (request.skin >= model->numSkins || (request.skin >= 0 && model->numSkins == 0)) {
        error = "the model has no skin " + std::to_string(request.skin) + " (it has " +
                std::to_string(model->numSkins) + ")";
        return nullptr;
    }
    model->currentSkin = request.skin >= 0 ? request.skin : 0;
    if (!request.skinName.empty() && !WearSkinNamed(model, request.skinName)) {
        error = "the model has no skin \"" + request.skinName + "\"";
        return nullptr;
    }
    // A player stands in its idle animation unless a frame is asked for.
    bool ownFrames = PlayerLegs(model) && request.frame.empty() && request.firstFrame < 0;
    if (!ownFrames) {
        model->sequence = -1;
        model->prevPrevFrame = model->prevFrame = model->currentFrame = frame;
        model->nextFrame = request.firstFrame >= 0 ? frame + 1 : frame;
        UpdateModelDisplayList(model, 0.0f);
    }
    viewer.orbitYaw = 0.0f;
    viewer.orbitPitch = request.pitch;
    FrameModel(model, 0.8f);
    return model;
}

// The frame buffer holds colours over a transparent black background, each
// already weighed by what covers it, and glows added with no cover of their
// own: a picture with alpha has each pixel's colour as it is, and as cover
// the more of its alpha and its brightness, so black stays transparent and a
// glow shows on any background.
void StraightenAlpha(std::vector<uint8_t>& rgba)
{
    for (size_t i = 0; i + 3 < rgba.size(); i += 4) {
        uint8_t* p = &rgba[i];
        int cover = std::max({int(p[3]), int(p[0]), int(p[1]), int(p[2])});
        if (cover == 0 || p[3] == 255)
            continue;
        for (int c = 0; c < 3; ++c)
            p[c] = static_cast<uint8_t>((p[c] * 255 + cover / 2) / cover);
        p[3] = static_cast<uint8_t>(cover);
    }
}

// The picture drawn now, read back top row first.
std::vector<uint8_t> ReadPicture(int width, int height)
{
    DrawSceneFrame();
    glFinish();
    std::vector<uint8_t> rgba(static_cast<size_t>(width) * height * 4);
    std::vector<uint8_t> row(static_cast<size_t>(width) * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    for (int r = 0; r < height / 2; ++r) {
        uint8_t* top = &rgba[static_cast<size_t>(r) * width * 4];
        uint8_t* bottom = &rgba[static_cast<size_t>(height - 1 - r) * width * 4];
        std::swap_ranges(top, top + width * 4, bottom);
    }
    StraightenAlpha(rgba);
    return rgba;
}

std::string SequenceName(const std::string& output, int number)
{
    std::string base = output;
    if (base.size() > 4 && strcasecmp(base.c_str() + base.size() - 4, ".png") == 0)
        base.resize(base.size() - 4);
    char suffix[24];
    snprintf(suffix, sizeof suffix, "_%03d.png", number);
    return base + suffix;
}

// The pictures asked for; false with the failure in error.
bool WritePictures(const PictureRequest& request, ModelObject* model, std::string& error)
{
    if (request.firstFrame < 0) {
        return WritePngAtomically(ReadPicture(request.width, request.height), request.width, request.height,
                                  request.output, error);
    }
    // The animation from the first frame to the last on a simulated clock,
    // fps pictures a second, the model stepping every frame period.
    viewer.animating = true;
    model->animMethod = kAnimAllFrames;
    model->lastAdvanceTime = 0;
    double seconds = (request.lastFrame - request.firstFrame) * double(viewer.animFrameTime);
    int count = static_cast<int>(seconds * request.fps + 1e-6) + 1;
    for (int k = 0; k < count; ++k) {
        AnimateModel(model, static_cast<int32_t>(k * 1000.0 / request.fps));
        std::string name = SequenceName(request.output, k);
        if (!WritePngAtomically(ReadPicture(request.width, request.height), request.width, request.height, name,
                                error)) {
            error = name + ": " + error;
            return false;
        }
    }
    return true;
}

}  // namespace

bool RenderPicturesIn(PictureSession& session, const PictureRequest& request, std::string& error,
                      std::string& warning)
{
    if (session.context && (session.width != request.width || session.height != request.height))
        ClosePictureSession(session);
    if (!session.context) {
        auto context = std::make_unique<OffscreenContext>();
        if (!CreateOffscreenContext(request.width, request.height, *context, error)) {
            error = "cannot render off-screen: " + error;
            return false;
        }
        session = {context.release(), request.width, request.height};
    }
    SetUpViewer(request);
    ModelObject* model = PrepareModel(request, error, warning);
    bool written = model && WritePictures(request, model, error);
    if (!written)
        error = (model ? request.output : request.model) + ": " + error;
    ReleaseAllModels();
    return written;
}

void ClosePictureSession(PictureSession& session)
{
    if (!session.context)
        return;
    DestroyOffscreenContext(*session.context);
    delete session.context;
    session = PictureSession();
}

int RenderPictures(const PictureRequest& request)
{
    // The picture is the output: reports go to standard error, and no log is kept.
    reportConsole = stderr;
    errorLog = nullptr;
    PictureSession session;
    std::string error, warning;
    bool written = RenderPicturesIn(session, request, error, warning);
    if (!written)
        fprintf(stderr, "%s: %s\n", request.program, error.c_str());
    else if (!warning.empty())
        fprintf(stderr, "%s: %s: %s\n", request.program, request.model.c_str(), warning.c_str());
    ClosePictureSession(session);
    return written ? 0 : 1;
}
