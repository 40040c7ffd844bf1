#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "formats/animation_cfg.h"
#include "formats/frame_types.h"
#include "geometry/drawn_model.h"
#include "looks/model_looks.h"
#include "maths/placement.h"
#include "platform/paths.h"

struct ModelFormat;

constexpr int kMaxCustomFrames = 128;

struct ModelObject : ModelLooks {
    std::string path;          // the file it was read from, loose or inside an archive
    std::string source;        // what it was opened as: its file, or the player folder it carries
    Placement placement = {};  // position, axisX, axisY, axisZ
    float viewCentre[3] = {};  // where the orbit centres, in the model's own axes (Frame Current Model)

    uint32_t displayList = 0;
    char autoSkinName[kMaxPath] = {};
    char autoSkinDirectory[kMaxPath] = {};
    int32_t numFrames = 0;
    std::unique_ptr<FrameName[]> frameNames;
    // The row of the format it was read as, and the reader's record, held
    // whatever its type and let go with the model.
    const ModelFormat* modelType = nullptr;
    std::shared_ptr<void> fileData;
    // The model as it is drawn, made from fileData (whose frames it reads) at
    // load: everything above the model's own code reads only this.
    std::unique_ptr<const DrawnModel> drawn;
    int32_t lastAdvanceTime = 0;
    int32_t prevPrevFrame = 0;
    int32_t prevFrame = 0;
    int32_t currentFrame = 0;
    int32_t nextFrame = 0;
    std::unique_ptr<int32_t[]> customFrames;
    int32_t numCustomFrames = 0;
    int32_t maxCustomFrames = 0;
    int32_t customFrameIndex = 0;
    uint8_t animMethod = 0;
    uint8_t materialIndex = 0;
    // The drawing's own: the arrays a running clock draws from instead of
    // the display list.
    std::vector<std::shared_ptr<struct FrameGeometry>> frameArrays;  // by part
    float shownFraction = 0.0f;  // where between its window's frames the model was last drawn
    std::shared_ptr<struct ComputedNormals> computedNormals;  // frames whose file gives no normals
    bool drawnFromArrays = false;
    // A part of a Quake III player hangs on a tag of another model, and
    // plays the animations of its animation.cfg (sequence -1: none).
    ModelObject* attachedTo = nullptr;
    std::string attachTag;
    std::vector<PlayerAnimation> sequences;
    int32_t sequence = -1;
    // The body numbers a model of body parts has (each part's sub-models
    // counted together), and the one drawn.
    int32_t bodies = 1;
    int32_t body = 0;
    std::unique_ptr<ModelObject> next;

    ModelObject();
    ModelObject(const ModelObject&) = delete;
    ModelObject& operator=(const ModelObject&) = delete;
    ~ModelObject();
};

// Lets go of the reader's record and the drawn form, as "Remove Model"
// does, with its report when the record is missing or of no format.
void FreeModelFile(ModelObject* model);

// The meshes a model is drawn as, each with its own display list and
// texture: an MD3's surfaces, or the one mesh of the other formats.
int PartCount(const ModelObject* model);
