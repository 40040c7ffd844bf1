#include "model/load.h"

#include <strings.h>

#include <cstdio>
#include <iterator>
#include <string>

#include "archive/game_files.h"
#include "model/model_formats.h"
#include "platform/error_log.h"
#include "platform/file_bytes.h"
#include "platform/paths.h"

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
    int i = 0;
    for (const std::string& own : ModelExtensions()) {
        std::string quoted = "\"." + own + "\"";
        text += i == 0 ? quoted : i == 1 ? " or " + quoted : i == 2 ? " (or " + quoted : ", " + quoted;
        ++i;
    }
    return text + (i > 2 ? ", or a Quake III player folder)" : "");
}

std::string ModelExtensionsText()
{
    std::vector<std::string> all = ModelExtensions();
    std::string text;
    for (size_t i = 0; i < all.size(); ++i)
        text += (i == 0 ? "." : i + 1 == all.size() ? " or ." : ", .") + all[i];
    return text;
}

bool IsModelFileName(const std::string& name)
{
    return FormatOfName(name) != nullptr;
}

namespace {

// The file read and its format known by its bytes; null after a report.
const ModelFormat* ReadAndKnow(const char* who, const char* path, std::vector<uint8_t>& bytes)
{
    const ModelFormat* named = FormatOfName(path);
    if (!named) {
        ReportError("%s: %s", who, NotAModelText().c_str());
        return nullptr;
    }
    if (!ReadModelFile(named->reader, named->key, path, bytes)) {
        ReportError("%s: unable to open %s file", named->loader, named->key);
        return nullptr;
    }
    std::string family;
    const ModelFormat* format = FormatOfFile(path, bytes, family);
    if (!format)
        ReportError("%s: \"%s\" is %s, which is not read", who, path, family.c_str());
    return format;
}

void Name(ModelObject& model, const char* path, const ModelFormat* format)
{
    model.path = model.source = path;
    model.modelType = format;
}

int body_ = 0;

}  // namespace

void SetModelBody(int body)
{
    body_ = body < 0 ? 0 : body;
}

int ModelBody()
{
    return body_;
}

std::unique_ptr<ModelObject> LoadModelFile(const char* who, const char* path)
{
    std::vector<uint8_t> bytes;
    const ModelFormat* format = ReadAndKnow(who, path, bytes);
    std::unique_ptr<ModelObject> model = format ? format->load(path, std::move(bytes)) : nullptr;
    if (model)
        Name(*model, path, format);
    return model;
}

bool LoadModelPieces(const char* who, const char* path, std::vector<ModelPiece>& pieces)
{
    pieces.clear();
    std::vector<uint8_t> bytes;
    const ModelFormat* format = ReadAndKnow(who, path, bytes);
    if (!format)
        return false;
    if (format->loadPieces) {
        if (!format->loadPieces(path, std::move(bytes), pieces))
            return false;
    } else {
        ModelPiece piece;
        piece.model = format->load(path, std::move(bytes));
        if (!piece.model)
            return false;
        pieces.push_back(std::move(piece));
    }
    for (ModelPiece& piece : pieces)
        Name(*piece.model, path, format);
    return !pieces.empty();
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
