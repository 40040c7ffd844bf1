#include "rig/assembly.h"

#include <algorithm>

#include "archive/game_files.h"
#include "formats/animation_cfg.h"
#include "model/load.h"
#include "model/model_formats.h"
#include "platform/error_log.h"
#include "platform/paths.h"
#include "rig/player_files.h"
#include "rig/player_rig.h"

namespace {

ModelObject* Add(Assembly& assembly, std::unique_ptr<ModelObject> piece, int parent, const char* tag)
{
    if (parent >= 0) {
        piece->attachedTo = assembly.pieces[parent].get();
        piece->attachTag = tag;
    }
    assembly.pieces.push_back(std::move(piece));
    return assembly.pieces.back().get();
}

bool HasTag(const ModelObject& model, const char* tag)
{
    return model.drawn && FindTag(*model.drawn, 0, tag);
}

int AnimationNamed(const ModelObject& part, const char* name)
{
    for (size_t i = 0; i < part.sequences.size(); ++i)
        if (part.sequences[i].name == name)
            return static_cast<int>(i);
    return 0;
}

// One part of the player, or null after a report: the rest goes on without it.
std::unique_ptr<ModelObject> LoadPart(const std::string& folder, const char* file)
{
    if (FindGameFile(folder + file).empty()) {
        ReportError("LoadQ3Player: \"%s\" has no %s; the rest of the player is drawn", folder.c_str(), file);
        return nullptr;
    }
    std::unique_ptr<ModelObject> part = LoadModelFile("LoadQ3Player", (folder + file).c_str());
    if (!part)
        ReportError("LoadQ3Player: %s%s does not load; the rest of the player is drawn", folder.c_str(), file);
    return part;
}

bool LoadPlayer(const std::string& path, Assembly& assembly)
{
    std::string folder = AsFolder(path);
    std::vector<PlayerAnimation> animations;
    if (!ReadPlayerAnimations(folder, animations))
        return false;
    assembly.name = FileNameOf(folder.substr(0, folder.size() - 1));
    int placed[3] = {-1, -1, -1};
    for (int p = 0; p < 3; ++p) {
        const RigPart& rig = kPlayerParts[p];
        std::unique_ptr<ModelObject> part = LoadPart(folder, rig.file);
        if (!part)
            continue;
        int parent = rig.parent >= 0 ? placed[rig.parent] : -1;
        Add(assembly, std::move(part), parent, rig.tag);
        placed[p] = static_cast<int>(assembly.pieces.size() - 1);
    }
    if (assembly.pieces.empty())
        return false;
    assembly.legs = placed[0];
    assembly.torso = placed[1];
    for (int which : {assembly.legs, assembly.torso}) {
        if (which < 0)
            continue;
        ModelObject& part = *assembly.pieces[which];
        bool legs = which == assembly.legs;
        part.sequences = PartAnimations(animations, legs, part.numFrames, kPlayerParts[legs ? 0 : 1].file);
        if (!part.sequences.empty())
            StartSequence(&part, AnimationNamed(part, RestAnimation(legs)));
    }
    return true;
}

// A figure of pieces that play their own sequences (a whole player as a
// glTF): its legs and torso, by the sequences they play, start at rest.
void StartPlaying(Assembly& assembly)
{
    for (size_t p = 0; p < assembly.pieces.size(); ++p) {
        ModelObject& piece = *assembly.pieces[p];
        for (bool legs : {true, false}) {
            bool plays = std::any_of(piece.sequences.begin(), piece.sequences.end(), [legs](const PlayerAnimation& a) {
                return a.name.compare(0, legs ? 5 : 6, legs ? "LEGS_" : "TORSO_") == 0;
            });
            if (!plays || (legs ? assembly.legs : assembly.torso) >= 0)
                continue;
            (legs ? assembly.legs : assembly.torso) = static_cast<int>(p);
            StartSequence(&piece, AnimationNamed(piece, RestAnimation(legs)));
        }
    }
}

}  // namespace

void StartSequence(ModelObject* part, int index)
{
    part->sequence = index;
    const PlayerAnimation& animation = part->sequences[index];
    part->prevPrevFrame = part->prevFrame = part->currentFrame = animation.first;
    part->nextFrame = animation.count > 1 ? animation.first + 1 : animation.first;
}

bool LoadWeapon(const char* who, const std::string& playerFolder, const std::string& weapon, Assembly& assembly)
{
    std::string path = WeaponModelPath(who, playerFolder, weapon);
    std::unique_ptr<ModelObject> gun = path.empty() ? nullptr : LoadModelFile(who, path.c_str());
    if (!gun)
        return false;
    assembly.name = FileNameOf(path);
    Add(assembly, std::move(gun), -1, "");
    for (const RigPart& rig : kWeaponParts) {
        std::string partPath = WeaponPartPath(path, rig.file);
        if (partPath.empty())
            continue;
        if (!HasTag(*assembly.pieces[0], rig.tag)) {
            ReportError("%s: \"%s\" has no %s; its %s is left off", who, path.c_str(), rig.tag, rig.file + 1);
            continue;
        }
        std::unique_ptr<ModelObject> part = LoadModelFile(who, partPath.c_str());
        if (!part)
            return false;
        Add(assembly, std::move(part), rig.parent, rig.tag);
    }
    return true;
}

bool LoadAssembly(const char* who, const std::string& path, const std::string& weapon, Assembly& assembly)
{
    assembly = Assembly();
    if (!IsQ3PlayerFolder(path)) {
        if (!weapon.empty()) {
            ReportError("%s: --weapon is held by Quake III players only", who);
            return false;
        }
        std::vector<ModelPiece> pieces;
        if (!LoadModelPieces(who, path.c_str(), pieces))
            return false;
        std::string name = FileNameOf(path);
        assembly.name = name.substr(0, name.rfind('.'));
        for (ModelPiece& piece : pieces)
            Add(assembly, std::move(piece.model), piece.parent, piece.tag.c_str());
        assembly.pieces[0]->source = path;
        StartPlaying(assembly);
        return true;
    }
    if (!LoadPlayer(path, assembly)) {
        assembly = Assembly();
        return false;
    }
    assembly.pieces[0]->source = path;
    if (weapon.empty())
        return true;
    Assembly gun;
    if (assembly.torso < 0) {
        ReportError("%s: \"%s\" has no torso to hold a weapon", who, path.c_str());
    } else if (LoadWeapon(who, AsFolder(path), weapon, gun)) {
        ModelObject& torso = *assembly.pieces[assembly.torso];
        if (!HasTag(torso, kWeaponTag))
            ReportError("%s: \"%s\" has no %s; the weapon is held at the torso's origin", who, torso.path.c_str(),
                        kWeaponTag);
        gun.pieces[0]->attachedTo = &torso;
        gun.pieces[0]->attachTag = kWeaponTag;
        for (auto& piece : gun.pieces)
            assembly.pieces.push_back(std::move(piece));
        return true;
    }
    assembly = Assembly();
    return false;
}
