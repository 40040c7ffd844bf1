#include "export/game_looks.h"

#include <strings.h>

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "export/export_mesh.h"
#include "export/export_model.h"
#include "formats/shader_script.h"
#include "formats/skin_file.h"
#include "platform/atomic_file.h"

// The folder as the game names it: from its last "models" folder on.
std::string GameFolder(const std::string& folder, const std::string& kind, std::vector<std::string>& notes)
{
    std::error_code fault;
    std::string absolute = std::filesystem::absolute(folder.empty() ? "." : folder, fault).lexically_normal();
    while (!absolute.empty() && absolute.back() == '/')
        absolute.pop_back();
    absolute += "/";
    size_t at = absolute.rfind("/models/");
    if (at != std::string::npos)
        return absolute.substr(at + 1);
    std::string name = absolute.substr(0, absolute.size() - 1);
    name = name.substr(name.rfind('/') + 1);
    std::string guess = "models/" + kind + name + "/";
    notes.push_back("the pictures are named for the model lying in the game's " + guess);
    return guess;
}

std::string PlainSkinName(const ModelObject& model, int skin)
{
    std::string name = StemOf(SkinName(model, skin));
    std::replace_if(name.begin(), name.end(), [](char c) { return c == ' ' || c == ','; }, '_');
    return name.empty() ? "skin" + std::to_string(skin + 1) : name;
}

std::string FolderOf(const std::string& path)
{
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

std::string StemOf(const std::string& path)
{
    std::string name = path.substr(path.rfind('/') + 1);
    size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

bool MakeGameLooks(const ModelObject& model, const std::string& folder, const std::string& prefix,
                   const std::string& kind, GameLooks& looks, std::vector<std::string>& notes, std::string& error)
{
    looks = GameLooks();
    looks.gameFolder = GameFolder(folder, kind, notes);
    int parts = static_cast<int>(model.drawn->parts.size());
    std::vector<std::string> pictureNames(model.skinPictures.size());
    int written = 0;
    for (int skin = 0; skin < std::max(model.numSkins, 1); ++skin) {
        looks.skinNames.push_back(model.numSkins ? PlainSkinName(model, skin) : "default");
        std::vector<std::string>& shaders = looks.shaders.emplace_back(parts);
        for (int part = 0; part < parts; ++part) {
            int shader = PartShaderIndex(model, skin, part), picture = PartPicture(model, skin, part);
            // A game's own script keeps its name; one made from a material
            // (no file) has no script in the game: its picture is named.
            if (shader >= 0 && model.shaders[shader].script && !model.shaders[shader].script->file.empty()) {
                shaders[part] = model.shaders[shader].script->name;
                continue;
            }
            if (picture < 0)
                continue;
            std::string& name = pictureNames[picture];
            if (name.empty()) {
                name = prefix + (written ? "_" + std::to_string(written + 1) : "") + ".png";
                std::string png;
                if (!SkinPng(model.skinPictures[picture], png)) {
                    error = "skin picture " + std::to_string(picture) + " cannot be made a PNG";
                    return false;
                }
                looks.pictures.push_back({folder + name, png});
                ++written;
            }
            shaders[part] = looks.gameFolder + name;
        }
    }
    return true;
}

float GameScale(const ExportRequest& request)
{
    return request.scaleGiven ? request.scale : 1.0f;
}

void AddSkinFiles(const GameLooks& looks, const std::vector<std::string>& surfaces,
                  const std::vector<size_t>& partOf, const std::string& pathOf, OutputFiles& files)
{
    for (size_t skin = 0; skin < looks.shaders.size(); ++skin) {
        std::vector<SkinFileEntry> entries;
        for (size_t s = 0; s < surfaces.size(); ++s)
            entries.push_back({surfaces[s], looks.shaders[skin][partOf[s]]});
        files.push_back({pathOf + "_" + looks.skinNames[skin] + ".skin", WriteSkinFile(entries)});
    }
}


bool WriteGameFiles(const std::vector<std::pair<std::string, const std::vector<uint8_t>*>>& models,
                    const OutputFiles& others, std::string& error)
{
    std::vector<std::pair<std::string, FilePiece>> files;
    for (const auto& model : models)
        files.push_back({model.first, {model.second->data(), model.second->size()}});
    for (const auto& other : others)
        files.push_back({other.first, {other.second.data(), other.second.size()}});
    return WriteFilesAtomically(files, error);
}
