#include "model/load.h"

#include <strings.h>

#include <cstdio>
#include <string>

#include "archive/game_files.h"
#include "model/palettes.h"
#include "model/skins.h"
#include "platform/error_log.h"
#include "platform/file_bytes.h"
#include "platform/paths.h"

void ReportAll(const Reports& reports)
{
    for (const std::string& report : reports)
        ReportError("%s", report.c_str());
}

bool ReadModelFile(const char* who, const char* kind, const char* path, std::vector<uint8_t>& bytes)
{
    std::string error;
    switch (ReadGameFile(path, bytes, error)) {
    case GameFileResult::kOk:
        return true;
    case GameFileResult::kTooLarge:
        ReportError("%s: the %s file \"%s\" is larger than %zu bytes", who, kind, path, kMaxInputFileSize);
        return false;
    case GameFileResult::kMissing:
        ReportError("%s: Couldn't open the %s file \"%s\"", who, kind, path);
        return false;
    default:
        ReportError("%s: Couldn't open the %s file \"%s\": %s", who, kind, path, error.c_str());
        return false;
    }
}

const char* const kNotAModel =
    "You must specify a model ending with \".mdl\" or \".md2\" (or \".md3\", or a Quake III player folder)";

bool IsModelFileName(const std::string& name)
{
    const char* extension = ExtractExtension(name.c_str());
    return extension && (strcasecmp(extension, "mdl") == 0 || strcasecmp(extension, "md2") == 0 ||
                         strcasecmp(extension, "md3") == 0);
}

std::unique_ptr<ModelObject> LoadModelFile(const char* who, const char* path)
{
    const char* extension = ExtractExtension(path);
    std::unique_ptr<ModelObject> model;
    if (extension && strcasecmp(extension, "mdl") == 0)
        model = InitMdlObject(path);
    else if (extension && strcasecmp(extension, "md2") == 0)
        model = InitMd2Object(path);
    else if (extension && strcasecmp(extension, "md3") == 0)
        model = InitMd3Object(path);
    else
        ReportError("%s: %s", who, kNotAModel);
    if (model)
        model->path = path;
    return model;
}

void InitCommonModelFields(ModelObject* model)
{
    model->placement = Placement{{0, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, 0, -1}};
    model->currentSkin = 0;
    model->prevPrevFrame = model->prevFrame = model->currentFrame = 0;
    model->nextFrame = 1;
    model->animMethod = 1;
    model->maxCustomFrames = kMaxCustomFrames;
    model->numCustomFrames = 0;
    model->customFrameIndex = 0;
    model->customFrames = std::make_unique<int32_t[]>(kMaxCustomFrames);
    model->materialIndex = 0;
}

namespace {

// The 32 empty skin slots, before skins are read.
void PrepareSkinSlots(ModelObject* model, int32_t skinWidth, int32_t skinHeight)
{
    model->maxSkins = kMaxSkins;
    model->skins = std::make_unique<SkinInfo[]>(kMaxSkins);
    model->skinWidth = skinWidth;
    model->skinHeight = skinHeight;
    model->numSkins = 0;
    model->hasSkins = model->texturing = false;
}

// The end of both loads once the skins are read: the reader's record is
// handed to the model, its file bytes let go.
template <typename Record>
std::unique_ptr<ModelObject> FinishModelLoad(std::unique_ptr<ModelObject> model, std::unique_ptr<Record> record,
                                             ModelType type)
{
    model->numFrames = FrameCount(*record);
    record->file.clear();
    record->file.shrink_to_fit();
    model->fileData = std::move(record);
    InitCommonModelFields(model.get());
    model->modelType = type;
    return model;
}

template <typename Record>
std::unique_ptr<Record> OpenModelFile(const char* who, const char* kind, const char* path,
                                      std::unique_ptr<Record> (*open)(std::vector<uint8_t>, Reports&))
{
    std::vector<uint8_t> bytes;
    if (!ReadModelFile(who, kind, path, bytes))
        return nullptr;
    Reports reports;
    std::unique_ptr<Record> record = open(std::move(bytes), reports);
    ReportAll(reports);
    return record;
}

}  // namespace

std::unique_ptr<ModelObject> InitMd2Object(const char* path)
{
    auto model = std::make_unique<ModelObject>();
    std::unique_ptr<Md2File> file = OpenModelFile("OpenMd2File", "md2", path, OpenMd2Bytes);
    if (!file) {
        ReportError("InitMd2Object: unable to open md2 file");
        return nullptr;
    }
    std::vector<SkinName> skinNames;
    Reports reports;
    bool read = ReadMd2Sections(*file, skinNames, model->frameNames, reports);
    ReportAll(reports);
    if (!read)
        return nullptr;

    PrepareSkinSlots(model.get(), file->header.skinWidth, file->header.skinHeight);
    const uint8_t* palette = skinNames.empty() ? nullptr : ModelPalette(kModelMd2, path);
    for (const SkinName& name : skinNames) {
        if (ReadMD2Skin(name, path, palette, model.get()) != 1) {
            ReportError("InitMd2Object: Couldn't read skin");
            return nullptr;
        }
    }
    return FinishModelLoad(std::move(model), std::move(file), kModelMd2);
}

int ReadMDLSkin(const MdlFile& file, const MdlSkinPicture& picture, const uint8_t* palette, ModelObject* model)
{
    RgbImage image;
    if (!PalettedSkin(file.file.data() + picture.offset, palette, model->skinWidth, model->skinHeight, 256, image))
        return 0;
    SkinInfo& skin = model->skins[model->numSkins];
    skin = SkinInfo{};
    skin.group = picture.group;
    skin.interval = picture.interval;
    snprintf(skin.name, sizeof skin.name, "skin%2d", model->numSkins);
    model->skinPictures.push_back(std::move(image));
    model->hasSkins = model->texturing = true;
    model->numSkins++;
    return 1;
}

std::unique_ptr<ModelObject> InitMdlObject(const char* path)
{
    auto model = std::make_unique<ModelObject>();
    std::unique_ptr<MdlFile> file = OpenModelFile("OpenMdlFile", "mdl", path, OpenMdlBytes);
    if (!file) {
        ReportError("InitMdlObject: unable to open mdl file");
        return nullptr;
    }
    std::vector<MdlSkinPicture> skins;
    Reports reports;
    bool read = ReadMdlSections(*file, skins, model->frameNames, reports);
    ReportAll(reports);
    if (!read)
        return nullptr;

    PrepareSkinSlots(model.get(), file->header.skinWidth, file->header.skinHeight);
    const uint8_t* palette = skins.empty() ? nullptr : ModelPalette(kModelMdl, path);
    if (!skins.empty() && !palette) {
        if (FirstMissingPalette(kModelMdl))
            ReportError("InitMdlObject: no palette.lmp for the skins of \"%s\" (not in the working directory, %s"
                        "or the game's gfx/palette.lmp); it loads untextured",
                        path, PaletteFoldersText().c_str());
        skins.clear();
    }
    for (const MdlSkinPicture& picture : skins) {
        if (ReadMDLSkin(*file, picture, palette, model.get()) != 1) {
            ReportError("InitMdlObject: Couldn't read skin");
            return nullptr;
        }
    }
    return FinishModelLoad(std::move(model), std::move(file), kModelMdl);
}
