#include "model/load.h"

#include <strings.h>

#include <cstdio>
#include <string>

#include "archive/game_files.h"
#include "model/format_loads.h"
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

std::string NotAModelText()
{
    // The first two as the viewer always named them, the later ones after.
    std::string text = "You must specify a model ending with ";
    for (int i = 0; i < kNumModelFormats; ++i) {
        std::string quoted = std::string("\".") + kModelFormats[i].extension + "\"";
        text += i == 0 ? quoted : i == 1 ? " or " + quoted : i == 2 ? " (or " + quoted : ", " + quoted;
    }
    return text + (kNumModelFormats > 2 ? ", or a Quake III player folder)" : "");
}

std::string ModelExtensionsText()
{
    std::string text;
    for (int i = 0; i < kNumModelFormats; ++i)
        text += std::string(i == 0 ? "" : i + 1 == kNumModelFormats ? " or " : ", ") + "." +
                kModelFormats[i].extension;
    return text;
}

bool IsModelFileName(const std::string& name)
{
    return FormatOfName(name) != nullptr;
}

std::unique_ptr<ModelObject> LoadModelFile(const char* who, const char* path)
{
    const ModelFormat* format = FormatOfName(path);
    std::unique_ptr<ModelObject> model;
    if (format)
        model = format->load(path);
    else
        ReportError("%s: %s", who, NotAModelText().c_str());
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

void PrepareSkinSlots(ModelObject* model, int32_t skinWidth, int32_t skinHeight)
{
    model->maxSkins = kMaxSkins;
    model->skins = std::make_unique<SkinInfo[]>(kMaxSkins);
    model->skinWidth = skinWidth;
    model->skinHeight = skinHeight;
    model->numSkins = 0;
    model->hasSkins = model->texturing = false;
}
