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
#include "model/darkplaces_files.h"
#include "model/format_loads.h"
#include "model/layouts.h"
#include "model/md3_model.h"
#include "looks/surface_looks.h"
#include "platform/error_log.h"
#include "platform/names.h"
#include "platform/paths.h"

namespace {

// The name with another extension; a dot in a folder name is no extension.
std::string Stem(const std::string& name)
{
    size_t dot = name.rfind('.'), slash = name.rfind('/');
    return dot != std::string::npos && (slash == std::string::npos || dot > slash) ? name.substr(0, dot) : name;
}

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
    CopyText(skin.name, sizeof skin.name, AsText(name));
    return skin;
}

// A surface's look in a skin set: its picture, and its shader when it has one.
void AddLook(SkinInfo& skin, const SurfaceLook& look)
{
    skin.partPictures.push_back(look.picture);
    skin.partShaders.push_back(look.shader);
}

// One skin set a .skin file gives; false (after a report) when it cannot be read.
bool ReadSkinSet(ModelObject* model, const Md3File& file, const std::string& name, const std::string& path,
                 SurfaceLooks& looks)
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
        SurfaceLook look;
        for (const SkinFileEntry& entry : entries)
            if (strcasecmp(entry.surface.c_str(), surface.name.c_str()) == 0)
                look = looks.Of(entry.image);
        AddLook(skin, look);
    }
    return true;
}

}  // namespace

std::unique_ptr<ModelObject> Md3LookedModel(const char* path, const Md3File& file, const char* who)
{
    auto model = std::make_unique<ModelObject>();
    model->numFrames = FrameCount(file);
    model->frameNames = std::make_unique<FrameName[]>(model->numFrames);
    std::vector<std::string> names;
    for (const Md3Frame& frame : file.frames)
        names.push_back(frame.name);
    NameGroupFrames(FrameGroupsBeside(path), names);
    for (int f = 0; f < model->numFrames; ++f)
        CopyText(model->frameNames[f].text, sizeof model->frameNames[f].text, names[f]);
    model->maxSkins = kMaxSkins;
    model->skins = std::make_unique<SkinInfo[]>(kMaxSkins);
    SurfaceLooks looks(model.get(), path, who);
    for (const auto& set : Md3SkinFiles(path))
        if (model->numSkins < kMaxSkins)
            ReadSkinSet(model.get(), file, set.first, set.second, looks);
    std::vector<std::string> surfaces, shaders;
    for (const Md3Surface& surface : file.surfaces)
        surfaces.push_back(surface.name), shaders.push_back(surface.shaders.empty() ? "" : surface.shaders[0]);
    for (const NumberedSkin& skin : NumberedSkins(path))
        AddNumberedSkinSet(model.get(), skin, surfaces, shaders, looks);
    if (model->numSkins == 0) {
        // No skin files: each surface wears its first shader.
        SkinInfo& skin = NewSkinSet(model.get(), "shaders");
        for (const Md3Surface& surface : file.surfaces)
            AddLook(skin, surface.shaders.empty() ? SurfaceLook{} : looks.Of(surface.shaders[0]));
    }
    model->hasSkins = model->texturing = !model->skinPictures.empty() || !model->shaders.empty();
    return model;
}

namespace {

std::unique_ptr<ModelObject> InitMd3Object(const char* path, std::vector<uint8_t> bytes)
{
    Reports reports;
    std::unique_ptr<Md3File> file = ReadMd3(bytes, reports);
    ReportAll(reports);
    if (!file)
        return nullptr;
    std::unique_ptr<ModelObject> model = Md3LookedModel(path, *file, "InitMd3Object");
    model->drawn = std::make_unique<const DrawnModel>(ConvertRecord(*file));
    model->fileData = std::move(file);
    InitCommonModelFields(model.get());
    return model;
}

}  // namespace

namespace {

std::shared_ptr<const FrameLayout> Md3SurfaceLayout(const Md3Surface& surface)
{
    auto layout = std::make_shared<FrameLayout>();
    layout->frameVertex.resize(static_cast<size_t>(surface.numVertices));
    for (size_t v = 0; v < layout->frameVertex.size(); ++v)
        layout->frameVertex[v] = static_cast<uint32_t>(v);
    layout->texCoords = surface.texCoords;
    layout->indices = surface.triangles;
    return layout;
}

}  // namespace

DrawnModel Md3Shape(const Md3File& file)
{
    DrawnModel drawn;
    drawn.frameCount = FrameCount(file);
    for (size_t s = 0; s < file.surfaces.size(); ++s) {
        const Md3Surface& surface = file.surfaces[s];
        DrawnPart part;
        part.name = surface.name;
        part.triangles = Md3SurfaceLayout(surface);
        part.corners = surface.triangles;
        part.skinSlot = static_cast<int32_t>(s);
        part.frames.frameCount = drawn.frameCount;
        part.frames.vertexCount = surface.numVertices;
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

DrawnModel ConvertRecord(const Md3File& file)
{
    DrawnModel drawn = Md3Shape(file);
    drawn.loaderName = "InitMd3Object";
    drawn.drawName = "DrawMD3Frame()";
    for (size_t s = 0; s < file.surfaces.size(); ++s) {
        const Md3Surface& surface = file.surfaces[s];
        VertexFrames& frames = drawn.parts[s].frames;
        frames.storage = VertexStorage::kShorts;
        frames.first = reinterpret_cast<const uint8_t*>(surface.vertices.data());
        frames.stride = sizeof(ShortVertex) * static_cast<size_t>(surface.numVertices);
        // Coordinates are in 1/64 units.
        frames.transforms.push_back({{1 / 64.0f, 1 / 64.0f, 1 / 64.0f}, {0, 0, 0}});
        for (int f = 0; f < frames.frameCount; ++f)
            frames.lacksNormals.push_back(FrameLacksNormals(Md3FrameVertices(surface, f), surface.numVertices));
    }
    return drawn;
}

namespace {

// What each surface wears in the model's first skin set: its .skin file's
// name, else its own shader name.
std::vector<std::string> FirstSetNames(const Md3File& file, const std::string& path)
{
    std::vector<SkinFileEntry> entries;
    std::vector<std::pair<std::string, std::string>> sets = Md3SkinFiles(path);
    std::vector<uint8_t> bytes;
    std::string error;
    Reports quiet;
    bool skinned = !sets.empty() && ReadGameFile(sets[0].second, bytes, error) == GameFileResult::kOk &&
                   ReadSkinFile(std::string(bytes.begin(), bytes.end()), entries, quiet);
    std::vector<NumberedSkin> numbered = sets.empty() ? NumberedSkins(path) : std::vector<NumberedSkin>();
    if (!numbered.empty())
        entries = numbered[0].entries;  // DarkPlaces': a surface it leaves out wears its shader
    std::vector<std::string> names;
    for (const Md3Surface& surface : file.surfaces) {
        std::string name = skinned || surface.shaders.empty() ? std::string() : surface.shaders[0];
        for (const SkinFileEntry& entry : entries)
            if (strcasecmp(entry.surface.c_str(), surface.name.c_str()) == 0)
                name = entry.image;
        names.push_back(name);
    }
    return names;
}

}  // namespace

namespace {

bool DescribeMd3(const std::string& path, const std::vector<uint8_t>& bytes, ModelSummary& summary,
                 Reports& reports)
{
    std::unique_ptr<Md3File> file = ReadMd3(bytes, reports);
    if (!file)
        return false;
    SummariseDrawn(ConvertRecord(*file), summary);
    summary.skins = static_cast<int32_t>(Md3SkinFiles(path).size() + NumberedSkins(path).size());
    std::string surfaces, tags;
    for (const Md3Surface& surface : file->surfaces)
        surfaces += (surfaces.empty() ? "" : ",") + surface.name;
    for (int t = 0; t < file->numTags; ++t)
        tags += (tags.empty() ? "" : ",") + file->tags[t].name;
    summary.columns.push_back(std::to_string(file->surfaces.size()) + " surfaces " + surfaces);
    summary.columns.push_back(std::to_string(file->numTags) + " tags " + tags);
    int large = 0;
    for (const Md3Surface& surface : file->surfaces)
        large += surface.numVertices > kIoquake3MaxVertices ||
                 static_cast<int>(surface.triangles.size() / 3) > kIoquake3MaxTriangles;
    if (large)
        summary.columns.push_back(std::to_string(large) + " surfaces past ioquake3's 999 vertices or 1999 "
                                  "triangles (DarkPlaces draws them; ioquake3 refuses the model)");
    LookCounts looks = CountLooks(FirstSetNames(*file, path), path);
    summary.columns.push_back(std::to_string(looks.shaders) + " from shaders, " + std::to_string(looks.images) +
                              " from images, " + std::to_string(looks.none) + " untextured");
    return true;
}

}  // namespace

extern const ModelFormat kMd3Format = {
    "md3", {"md3"}, "IDP3", "Quake III Models", nullptr, "Quake III model", "model/x-quake3-md3", false, false,
    "ReadMd3", "InitMd3Object", InitMd3Object, DescribeMd3, nullptr, nullptr, nullptr, nullptr, nullptr};
