#include "looks/surface_looks.h"

#include <algorithm>

#include "archive/game_files.h"
#include "formats/truecolour.h"
#include "looks/skins.h"
#include "platform/error_log.h"
#include "platform/paths.h"

const std::vector<std::string> kQuake3Bases = {"baseq3", "baseoa"};

namespace {

const char kWhiteImage[] = "$whiteimage";

// The name with another extension; a dot in a folder name is no extension.
std::string Stem(const std::string& name)
{
    size_t dot = name.rfind('.'), slash = name.rfind('/');
    return dot != std::string::npos && (slash == std::string::npos || dot > slash) ? name.substr(0, dot) : name;
}

bool IsWhite(const std::string& name)
{
    return ShaderKey(name) == kWhiteImage;
}

const ShaderLibrary& LibraryFor(const std::string& modelPath)
{
    return ShaderLibraryOf(GameSearchPlaces(modelPath, kQuake3Bases));
}

// A stage that can be drawn: each of its images is there (or white).
bool StageHasImages(const ShaderStage& stage, const std::string& modelPath)
{
    for (const std::string& image : stage.images)
        if (!IsWhite(image) && FindShaderImage(image, modelPath).empty())
            return false;
    return !stage.images.empty();
}

}  // namespace

std::string FindShaderImage(const std::string& shader, const std::string& modelPath)
{
    std::string name = shader;
    std::replace(name.begin(), name.end(), '\\', '/');
    if (name.empty())
        return std::string();
    std::vector<std::string> candidates;
    for (const char* extension : {".tga", ".jpg", ".png"})
        candidates.push_back(Stem(name) + extension);
    if (name[0] == '/') {  // a whole path, as a configuration gives: that file, or its others
        std::string found = FindGameFile(name);
        for (size_t c = 0; found.empty() && c < candidates.size(); ++c)
            found = FindGameFile(candidates[c]);
        return found;
    }
    std::vector<std::string> places = GameSearchPlaces(modelPath, kQuake3Bases, name);
    // DarkPlaces looks for a bare name ("fbgreen", as Nexuiz's models name
    // their images) under textures/ too.
    size_t given = candidates.size();
    if (name.find('/') == std::string::npos)
        for (size_t c = 0; c < given; ++c)
            candidates.push_back("textures/" + candidates[c]);
    for (const std::string& candidate : candidates) {
        std::string found = FindInPlaces(places, candidate);
        if (!found.empty())
            return found;
    }
    for (size_t c = 0; c < given; ++c) {
        const std::string& candidate = candidates[c];
        std::string found = FindGameFile(DirectoryOf(modelPath) + FileNameOf(candidate));
        if (!found.empty())
            return found;
    }
    return std::string();
}

float ShaderSort(const ShaderScript& script)
{
    if (script.sort > 0)
        return script.sort;
    if (!script.stages.empty() && script.stages[0].blend)
        return script.stages[0].depthWrite ? 5.0f : kSortAdditive;  // see-through, else blended
    return kSortOpaque;
}

bool ShaderIsPerVertex(const ShaderScript& script)
{
    if (!script.deforms.empty())
        return true;
    for (const ShaderStage& stage : script.stages) {
        if (stage.tcGen == TexGen::kEnvironment || stage.alphaGen == AlphaGen::kLightingSpecular)
            return true;
        for (const TexMod& mod : stage.tcMods)
            if (mod.kind == TexMod::Kind::kTurb)
                return true;
    }
    return false;
}

SurfaceLooks::SurfaceLooks(ModelLooks* model, const std::string& modelPath, const char* who)
    : model_(model), modelPath_(modelPath), who_(who), library_(LibraryFor(modelPath))
{
}

int32_t SurfaceLooks::Picture(const std::string& name, bool alpha, bool report)
{
    auto known = pictures_.find({name, alpha});
    if (known != pictures_.end())
        return known->second;
    std::string path = FindShaderImage(name, modelPath_);
    std::vector<uint8_t> bytes;
    std::string error;
    RgbImage image;
    int32_t index = -1;
    if (!path.empty() && ReadGameFile(path, bytes, error) == GameFileResult::kOk &&
        DecodeTrueColour(bytes.data(), bytes.size(), ExtractExtension(path.c_str()), image, alpha,
                         SkinPixelsWanted())) {
        model_->skinPictures.push_back(std::move(image));
        index = static_cast<int32_t>(model_->skinPictures.size() - 1);
    } else if (report) {
        ReportError("%s: no image for \"%s\" (.tga, .jpg or .png) of \"%s\"; it is drawn untextured", who_,
                    name.c_str(), modelPath_.c_str());
    }
    pictures_[{name, alpha}] = index;
    return index;
}

int32_t SurfaceLooks::ShaderOf(const ShaderScript& script)
{
    ModelShader shader;
    shader.script = library_.byName.at(script.name);
    for (const ShaderStage& stage : script.stages) {
        if (!StageHasImages(stage, modelPath_))
            continue;  // as the engines leave out a stage whose image is missing
        ShaderPass pass{&stage, {}};
        for (const std::string& image : stage.images)
            pass.pictures.push_back(IsWhite(image) ? -1 : Picture(image, true, true));
        shader.passes.push_back(std::move(pass));
    }
    // A script of no stages draws nothing, as in the game; one whose images
    // are all missing is as good as none.
    if (shader.passes.empty() && !script.stages.empty())
        return -1;
    shader.sort = ShaderSort(script);
    shader.perVertex = ShaderIsPerVertex(script);
    model_->shaders.push_back(std::move(shader));
    return static_cast<int32_t>(model_->shaders.size() - 1);
}

SurfaceLook SurfaceLooks::Of(const std::string& name)
{
    if (name.empty())
        return SurfaceLook{};
    std::string key = ShaderKey(name);
    auto known = byName_.find(key);
    if (known != byName_.end())
        return known->second;
    SurfaceLook look;
    if (const ShaderScript* script = FindShaderScript(library_, key))
        look.shader = ShaderOf(*script);
    if (look.shader >= 0) {
        // What a single pass draws with: the first image of the first pass.
        for (const ShaderPass& pass : model_->shaders[look.shader].passes)
            if (look.picture < 0 && !pass.pictures.empty())
                look.picture = pass.pictures[0];
    } else {
        look.picture = Picture(name, false, true);
    }
    byName_[key] = look;
    return look;
}

LookCounts CountLooks(const std::vector<std::string>& names, const std::string& modelPath)
{
    LookCounts counts;
    const ShaderLibrary& library = LibraryFor(modelPath);
    for (const std::string& name : names) {
        const ShaderScript* script = name.empty() ? nullptr : FindShaderScript(library, name);
        bool drawn = script && script->stages.empty();
        for (size_t s = 0; script && s < script->stages.size() && !drawn; ++s)
            drawn = StageHasImages(script->stages[s], modelPath);
        if (drawn)
            ++counts.shaders;
        else if (!name.empty() && !FindShaderImage(name, modelPath).empty())
            ++counts.images;
        else
            ++counts.none;
    }
    return counts;
}
