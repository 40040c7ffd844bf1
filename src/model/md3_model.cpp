// A Quake III model read with its skins: the surfaces' shader images, or
// the skin sets of the .skin files beside it, found along the game's
// search path.
#include <strings.h>

#include <algorithm>
#include <map>
#include <cstring>

#include "archive/game_files.h"
#include "formats/skin_file.h"
#include "formats/truecolour.h"
#include "geometry/normals.h"
#include "model/format_loads.h"
#include "model/layouts.h"
#include "platform/error_log.h"
#include "platform/paths.h"

namespace {

const std::vector<std::string> kQuake3Bases = {"baseq3", "baseoa"};

// The name with another extension; a dot in a folder name is no extension.
std::string Stem(const std::string& name)
{
    size_t dot = name.rfind('.'), slash = name.rfind('/');
    return dot != std::string::npos && (slash == std::string::npos || dot > slash) ? name.substr(0, dot) : name;
}

// As the engines look: .tga, then .jpg, whatever the name's own extension;
// PNG too. Along the game's search path, then beside the model.
std::string FindImage(const std::string& shader, const std::string& modelPath)
{
    std::string name = shader;
    std::replace(name.begin(), name.end(), '\\', '/');
    if (name.empty())
        return std::string();
    std::vector<std::string> candidates;
    for (const char* extension : {".tga", ".jpg", ".png"})
        candidates.push_back(Stem(name) + extension);
    std::vector<std::string> places = GameSearchPlaces(modelPath, kQuake3Bases, name);
    for (const std::string& candidate : candidates) {
        std::string found = FindInPlaces(places, candidate);
        if (!found.empty())
            return found;
    }
    for (const std::string& candidate : candidates) {
        std::string found = FindGameFile(DirectoryOf(modelPath) + FileNameOf(candidate));
        if (!found.empty())
            return found;
    }
    return std::string();
}

// The pictures of one model, each image read once.
class Pictures {
public:
    Pictures(ModelObject* model, const std::string& modelPath) : model_(model), modelPath_(modelPath) {}

    // The picture of a shader or image name; -1, reported once, when there is none.
    int32_t Of(const std::string& shader)
    {
        if (shader.empty())
            return -1;
        auto known = byName_.find(shader);
        if (known != byName_.end())
            return known->second;
        int32_t index = Read(shader);
        byName_[shader] = index;
        return index;
    }

private:
    int32_t Read(const std::string& shader)
    {
        std::string path = FindImage(shader, modelPath_);
        std::vector<uint8_t> bytes;
        std::string error;
        RgbImage image;
        if (path.empty() || ReadGameFile(path, bytes, error) != GameFileResult::kOk ||
            !DecodeTrueColour(bytes.data(), bytes.size(), ExtractExtension(path.c_str()), image)) {
            ReportError("InitMd3Object: no image for \"%s\" (.tga, .jpg or .png) of \"%s\"; it is drawn untextured",
                        shader.c_str(), modelPath_.c_str());
            return -1;
        }
        model_->skinPictures.push_back(std::move(image));
        return static_cast<int32_t>(model_->skinPictures.size() - 1);
    }
    ModelObject* model_;
    std::string modelPath_;
    std::map<std::string, int32_t> byName_;
};

}  // namespace

std::vector<std::pair<std::string, std::string>> Md3SkinFiles(const std::string& modelPath)
{
    std::string prefix = Stem(FileNameOf(modelPath)) + "_";
    std::vector<std::pair<std::string, std::string>> sets;
    for (const std::string& file : GameFolderFiles(DirectoryOf(modelPath))) {
        std::string name = FileNameOf(file);
        const char* extension = ExtractExtension(name.c_str());
        if (name.size() > prefix.size() && strncasecmp(name.c_str(), prefix.c_str(), prefix.size()) == 0 &&
            extension && strcasecmp(extension, "skin") == 0)
            sets.push_back({Stem(name.substr(prefix.size())), file});
    }
    std::sort(sets.begin(), sets.end(), [](const auto& a, const auto& b) {
        return (a.first == "default") != (b.first == "default") ? a.first == "default" : a.first < b.first;
    });
    return sets;
}

namespace {

SkinInfo& NewSkinSet(ModelObject* model, const std::string& name)
{
    SkinInfo& skin = model->skins[model->numSkins++];
    skin = SkinInfo{};
    snprintf(skin.name, sizeof skin.name, "%s", name.c_str());
    return skin;
}

// One skin set a .skin file gives; false (after a report) when it cannot be read.
bool ReadSkinSet(ModelObject* model, const Md3File& file, const std::string& name, const std::string& path,
                 Pictures& pictures)
{
    std::vector<uint8_t> bytes;
    std::vector<SkinFileEntry> entries;
    std::string error;
    Reports reports;
    bool read = ReadGameFile(path, bytes, error) == GameFileResult::kOk &&
                ReadSkinFile(std::string(bytes.begin(), bytes.end()), entries, reports);
    ReportAll(reports);
    if (!read) {
        ReportError("InitMd3Object: the skin file \"%s\" is left out", path.c_str());
        return false;
    }
    SkinInfo& skin = NewSkinSet(model, name);
    for (const Md3Surface& surface : file.surfaces) {
        int32_t picture = -1;
        for (const SkinFileEntry& entry : entries)
            if (strcasecmp(entry.surface.c_str(), surface.name.c_str()) == 0)
                picture = pictures.Of(entry.image);
        skin.partPictures.push_back(picture);
    }
    return true;
}

}  // namespace

std::unique_ptr<ModelObject> InitMd3Object(const char* path)
{
    std::vector<uint8_t> bytes;
    if (!ReadModelFile("ReadMd3", "md3", path, bytes)) {
        ReportError("InitMd3Object: unable to open md3 file");
        return nullptr;
    }
    Reports reports;
    std::unique_ptr<Md3File> file = ReadMd3(bytes, reports);
    ReportAll(reports);
    if (!file)
        return nullptr;
    auto model = std::make_unique<ModelObject>();
    model->numFrames = FrameCount(*file);
    model->frameNames = std::make_unique<FrameName[]>(model->numFrames);
    for (int f = 0; f < model->numFrames; ++f)
        memcpy(model->frameNames[f].text, file->frames[f].name.c_str(),
               std::min(file->frames[f].name.size(), sizeof model->frameNames[f].text));
    model->maxSkins = kMaxSkins;
    model->skins = std::make_unique<SkinInfo[]>(kMaxSkins);
    Pictures pictures(model.get(), path);
    for (const auto& set : Md3SkinFiles(path))
        if (model->numSkins < kMaxSkins)
            ReadSkinSet(model.get(), *file, set.first, set.second, pictures);
    if (model->numSkins == 0) {
        // No skin files: each surface wears its first shader's image.
        SkinInfo& skin = NewSkinSet(model.get(), "shaders");
        for (const Md3Surface& surface : file->surfaces)
            skin.partPictures.push_back(surface.shaders.empty() ? -1 : pictures.Of(surface.shaders[0]));
    }
    model->hasSkins = model->texturing = !model->skinPictures.empty();
    model->drawn = std::make_unique<const DrawnModel>(ConvertRecord(*file));
    model->fileData = std::move(file);
    InitCommonModelFields(model.get());
    model->modelType = kModelMd3;
    return model;
}

DrawnModel ConvertRecord(const Md3File& file)
{
    DrawnModel drawn;
    drawn.frameCount = FrameCount(file);
    drawn.loaderName = "InitMd3Object";
    drawn.drawName = "DrawMD3Frame()";
    for (size_t s = 0; s < file.surfaces.size(); ++s) {
        const Md3Surface& surface = file.surfaces[s];
        DrawnPart part;
        part.name = surface.name;
        part.triangles = Md3SurfaceLayout(surface);
        part.corners = surface.triangles;
        part.skinSlot = static_cast<int32_t>(s);
        VertexFrames& frames = part.frames;
        frames.storage = VertexStorage::kShorts;
        frames.first = reinterpret_cast<const uint8_t*>(surface.vertices.data());
        frames.stride = sizeof(ShortVertex) * static_cast<size_t>(surface.numVertices);
        frames.frameCount = drawn.frameCount;
        frames.vertexCount = surface.numVertices;
        // Coordinates are in 1/64 units.
        frames.transforms.push_back({{1 / 64.0f, 1 / 64.0f, 1 / 64.0f}, {0, 0, 0}});
        for (int f = 0; f < frames.frameCount; ++f)
            frames.lacksNormals.push_back(FrameLacksNormals(Md3FrameVertices(surface, f), surface.numVertices));
        drawn.parts.push_back(std::move(part));
    }
    drawn.tagCount = file.numTags;
    for (const Md3Tag& tag : file.tags) {
        TagPlace place;
        place.name = tag.name;
        std::copy(tag.origin, tag.origin + 3, place.origin);
        std::copy(&tag.axis[0][0], &tag.axis[0][0] + 9, &place.axis[0][0]);
        drawn.tags.push_back(place);
    }
    return drawn;
}

bool DescribeMd3(const std::string& path, const std::vector<uint8_t>& bytes, ModelSummary& summary,
                 Reports& reports)
{
    std::unique_ptr<Md3File> file = ReadMd3(bytes, reports);
    if (!file)
        return false;
    SummariseDrawn(ConvertRecord(*file), summary);
    summary.skins = static_cast<int32_t>(Md3SkinFiles(path).size());
    std::string surfaces, tags;
    for (const Md3Surface& surface : file->surfaces)
        surfaces += (surfaces.empty() ? "" : ",") + surface.name;
    for (int t = 0; t < file->numTags; ++t)
        tags += (tags.empty() ? "" : ",") + file->tags[t].name;
    summary.columns.push_back(std::to_string(file->surfaces.size()) + " surfaces " + surfaces);
    summary.columns.push_back(std::to_string(file->numTags) + " tags " + tags);
    return true;
}
