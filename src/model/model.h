#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "formats/animation_cfg.h"
#include "formats/frame_types.h"
#include "formats/truecolour.h"
#include "geometry/drawn_model.h"
#include "maths/placement.h"
#include "platform/paths.h"

enum ModelType : int32_t { kModelMdl = 1, kModelMd2 = 2, kModelMd3 = 3, kModelIqm = 4, kModelMd5 = 5 };

struct ShaderScript;
struct ShaderStage;

// One pass of a surface's shader: its script stage, and the stage's images
// as the model's pictures (indices into skinPictures; -1 is the white image),
// one or animMap's in turn.
struct ShaderPass {
    const ShaderStage* stage;
    std::vector<int32_t> pictures;
};

// A surface's look made from a shader script: the passes drawn one after
// the other (stages without an image left out).
struct ModelShader {
    std::shared_ptr<const ShaderScript> script;
    std::vector<ShaderPass> passes;
    float sort = 3;        // the script's, or what its first stage makes it: opaque ones are drawn first
    bool perVertex = false;  // stages or deforms worked out vertex by vertex at each draw
};

// The readers' records; only the model's own code looks inside them.
struct MdlFile;
struct Md2File;
struct Md3File;
struct IqmFile;
struct Md5MeshFile;

constexpr int kMaxCustomFrames = 128;

struct SkinInfo {
    uint32_t textureId = 0;
    char name[64] = {};
    int32_t group = -1;     // the MDL skin group the picture came from; -1 for a single skin
    float interval = 0.0f;  // a group picture's end time in seconds
    // A skin set: each part's picture by its skin slot (an index into the
    // model's skinPictures, -1 for none) and, once made, its texture (0 for
    // none); empty when the skin is one picture, textureId.
    std::vector<int32_t> partPictures;
    std::vector<uint32_t> partTextures;
    // Each part's shader by its skin slot (an index into the model's shaders),
    // -1 where the part wears its picture alone, lit (or nothing).
    std::vector<int32_t> partShaders;
};

struct ModelObject {
    std::string path;          // the file it was read from, loose or inside an archive
    Placement placement = {};  // position, axisX, axisY, axisZ
    float viewCentre[3] = {};  // where the orbit centres, in the model's own axes (Frame Current Model)

    uint32_t displayList = 0;
    int32_t skinWidth = 0;
    int32_t skinHeight = 0;
    bool hasSkins = false;
    bool texturing = false;
    int32_t numSkins = 0;
    int32_t maxSkins = 0;
    std::unique_ptr<SkinInfo[]> skins;
    // A loaded model's skins as pictures, one per skin, until whoever draws
    // it makes them into textures.
    std::vector<RgbImage> skinPictures;
    // The shaders its surfaces wear, and every picture's texture (with its
    // alpha, for the shaders' passes), made with the skins' and kept till
    // the model goes.
    std::vector<ModelShader> shaders;
    std::vector<uint32_t> pictureTextures;
    int32_t currentSkin = 0;
    int32_t animatedSkin = -1;  // the current skin group's picture due on the running clock
    char autoSkinName[kMaxPath] = {};
    char autoSkinDirectory[kMaxPath] = {};
    int32_t numFrames = 0;
    std::unique_ptr<FrameName[]> frameNames;
    int32_t modelType = 0;
    // The reader's record, by modelType: MdlFile for 1, Md2File for 2, Md3File for 3, IqmFile for 4,
    // Md5MeshFile for 5.
    std::variant<std::monostate, std::unique_ptr<MdlFile>, std::unique_ptr<Md2File>, std::unique_ptr<Md3File>,
                 std::unique_ptr<IqmFile>, std::unique_ptr<Md5MeshFile>>
        fileData;
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
    std::unique_ptr<ModelObject> next;

    ModelObject();
    ModelObject(const ModelObject&) = delete;
    ModelObject& operator=(const ModelObject&) = delete;
    ~ModelObject();
};

// Lets go of the reader's record and the drawn form, as "Remove Model"
// does, with its reports on a record that is missing or still holds its file.
void FreeModelFile(ModelObject* model);

// The meshes a model is drawn as, each with its own display list and
// texture: an MD3's surfaces, or the one mesh of the other formats.
int PartCount(const ModelObject* model);
