#include "scene/q3_player.h"

#include <cstdio>
#include <vector>

#include "archive/game_files.h"
#include "model/archive_choice.h"
#include "model/load.h"
#include "platform/chooser.h"
#include "platform/error_log.h"
#include "platform/paths.h"
#include "render/draw.h"
#include "render/tags.h"
#include "scene/model_list.h"
#include "state/viewer_state.h"

namespace {

void ShowAnimation(ModelObject* part, int index)
{
    part->sequence = index;
    const PlayerAnimation& animation = part->sequences[index];
    part->prevPrevFrame = part->prevFrame = part->currentFrame = animation.first;
    part->nextFrame = animation.count > 1 ? animation.first + 1 : animation.first;
    UpdateModelDisplayList(part, 0.0f);
}

int AnimationNamed(const ModelObject* part, const char* name)
{
    for (size_t i = 0; i < part->sequences.size(); ++i)
        if (part->sequences[i].name == name)
            return static_cast<int>(i);
    return 0;
}

void Hang(ModelObject* part, ModelObject* on, const char* tag)
{
    part->attachedTo = on;
    part->attachTag = tag;
}

bool HasTag(const ModelObject* model, const char* tag)
{
    return model->drawn && FindTag(*model->drawn, 0, tag);
}

ModelObject* HangingOn(const ModelObject* model, const char* tag)
{
    for (ModelObject* part = viewer.modelList.get(); part; part = part->next.get())
        if (part->attachedTo == model && part->attachTag == tag)
            return part;
    return nullptr;
}

void RemoveAndKeepCurrent(ModelObject* model, ModelObject* current)
{
    viewer.currentModel = model;
    RemoveModel();  // and the parts hanging on it
    viewer.currentModel = current ? current : viewer.modelList.get();
}

// A part of the weapon beside its model, hung on the weapon's tag; left off,
// with a report, when the weapon has no such tag.
void AddWeaponPart(ModelObject* gun, const std::string& gunPath, const char* suffix, const char* tag)
{
    std::string path = WeaponPartPath(gunPath, suffix);
    if (path.empty())
        return;
    if (!HasTag(gun, tag)) {
        ReportError("LoadQ3Weapon: \"%s\" has no %s; its %s is left off", gunPath.c_str(), tag, suffix + 1);
        return;
    }
    if (ModelObject* part = AddModel(path.c_str()))
        Hang(part, gun, tag);
}

}  // namespace

namespace {

// One part of the player, or null after a report: the rest is drawn without it.
ModelObject* AddPart(const std::string& folder, const char* file)
{
    if (FindGameFile(folder + file).empty()) {
        ReportError("LoadQ3Player: \"%s\" has no %s; the rest of the player is drawn", folder.c_str(), file);
        return nullptr;
    }
    ModelObject* part = AddModel((folder + file).c_str());
    if (!part)
        ReportError("LoadQ3Player: %s%s does not load; the rest of the player is drawn", folder.c_str(), file);
    return part;
}

}  // namespace

ModelObject* AddQ3Player(const std::string& path)
{
    std::string folder = AsFolder(path);
    std::vector<PlayerAnimation> animations;
    if (!ReadPlayerAnimations(folder, animations))
        return nullptr;
    ModelObject* legs = AddPart(folder, "lower.md3");
    ModelObject* torso = AddPart(folder, "upper.md3");
    ModelObject* head = AddPart(folder, "head.md3");
    if (torso && legs)
        Hang(torso, legs, "tag_torso");
    if (head && torso)
        Hang(head, torso, "tag_head");
    if (legs)
        legs->sequences = PartAnimations(animations, true, legs->numFrames, "lower.md3");
    if (torso)
        torso->sequences = PartAnimations(animations, false, torso->numFrames, "upper.md3");
    for (ModelObject* part : {legs, torso})
        if (part && !part->sequences.empty())
            ShowAnimation(part, AnimationNamed(part, part == legs ? "LEGS_IDLE" : "TORSO_STAND"));
    ModelObject* root = legs ? legs : torso ? torso : head;
    if (root)
        viewer.currentModel = root;
    return root;
}

ModelObject* AddModelOrPlayer(const std::string& path)
{
    return IsQ3PlayerFolder(path) ? AddQ3Player(path) : AddModel(path.c_str());
}

ModelObject* PlayerLegs(const ModelObject* model)
{
    if (!model)
        return nullptr;
    auto* legs = const_cast<ModelObject*>(RootModel(model));
    return legs->sequences.empty() ? nullptr : legs;
}

ModelObject* PlayerTorso(const ModelObject* model)
{
    ModelObject* legs = PlayerLegs(model);
    for (ModelObject* part = viewer.modelList.get(); legs && part; part = part->next.get())
        if (part->attachedTo == legs && !part->sequences.empty())
            return part;
    return nullptr;
}

std::string PlayerFolder(const ModelObject* model)
{
    ModelObject* legs = PlayerLegs(model);
    return legs ? DirectoryOf(legs->path) : std::string();
}

ModelObject* PlayerWeapon(const ModelObject* model)
{
    ModelObject* torso = PlayerTorso(model);
    return torso ? HangingOn(torso, "tag_weapon") : nullptr;
}

void TakeQ3Weapon(ModelObject* player)
{
    if (ModelObject* gun = PlayerWeapon(player))
        RemoveAndKeepCurrent(gun, PlayerLegs(player));
}

bool GiveQ3Weapon(ModelObject* player, const std::string& weapon)
{
    ModelObject* legs = PlayerLegs(player);
    ModelObject* torso = PlayerTorso(player);
    if (!legs || !torso) {
        ReportError("LoadQ3Weapon: a weapon is held by a Quake III player, and the current model is none");
        return false;
    }
    std::string path = WeaponModelPath("LoadQ3Weapon", PlayerFolder(legs), weapon);
    if (path.empty())
        return false;
    TakeQ3Weapon(legs);
    ModelObject* gun = AddModel(path.c_str());
    if (!gun) {
        viewer.currentModel = legs;
        return false;
    }
    if (!HasTag(torso, "tag_weapon"))
        ReportError("LoadQ3Weapon: \"%s\" has no tag_weapon; the weapon is held at the torso's origin",
                    torso->path.c_str());
    Hang(gun, torso, "tag_weapon");
    AddWeaponPart(gun, path, "_barrel", "tag_barrel");
    AddWeaponPart(gun, path, "_flash", "tag_flash");
    viewer.currentModel = legs;
    return true;
}

void RemovePlayerOf(ModelObject* model)
{
    RemoveAndKeepCurrent(const_cast<ModelObject*>(RootModel(model)), nullptr);
}

void LoadQ3Player(float)
{
    char chosen[kChooserBufferSize];
    if (!GetDirectoryName("Choose directory of a Q3 player model: ", chosen)) {
        ReportError("Invalid directory name");
        return;
    }
    std::string path = chosen;
    if (!ResolveArchiveChoice("LoadQ3Player", ArchiveChoice::kQ3Player, path))
        return;
    std::string folder = IsQ3PlayerFolder(path) ? path : DirectoryOf(path);
    if (!IsQ3PlayerFolder(folder)) {
        ReportError("LoadQ3Player: \"%s\" holds no lower.md3, upper.md3, head.md3 and animation.cfg", folder.c_str());
        return;
    }
    AddQ3Player(folder);
}

void LoadQ3Weapon(float)
{
    ModelObject* legs = PlayerLegs(viewer.currentModel);
    if (!legs) {
        ReportError("LoadQ3Weapon: a weapon is held by a Quake III player, and the current model is none");
        return;
    }
    std::vector<std::string> weapons = GameWeapons(PlayerFolder(legs));
    if (weapons.empty()) {
        ReportError("LoadQ3Weapon: the game of \"%s\" has no models/weapons2/NAME/NAME.md3",
                    PlayerFolder(legs).c_str());
        return;
    }
    std::string chosen;
    if (memberChooser("Weapon to hold: ", weapons, chosen) == ChooserResult::kChosen)
        GiveQ3Weapon(legs, chosen);
}

void RemoveQ3Weapon(float)
{
    TakeQ3Weapon(viewer.currentModel);
}

namespace {

void StepAnimation(ModelObject* part, float step, const char* which)
{
    if (!part || part->sequences.empty())
        return;
    int count = static_cast<int>(part->sequences.size());
    int next = ((part->sequence + static_cast<int>(step)) % count + count) % count;
    ShowAnimation(part, next);
    printf("%s: %s\n", which, part->sequences[next].name.c_str());
}

}  // namespace

void ChangeLegsAnimation(float step)
{
    StepAnimation(PlayerLegs(viewer.currentModel), step, "Legs");
}

void ChangeTorsoAnimation(float step)
{
    StepAnimation(PlayerTorso(viewer.currentModel), step, "Torso");
}
