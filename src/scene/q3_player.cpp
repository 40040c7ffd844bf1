#include "scene/q3_player.h"

#include <cstdio>
#include <vector>

#include "archive/game_files.h"
#include "model/archive_choice.h"
#include "rig/assembly.h"
#include "rig/player_rig.h"
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
    StartSequence(part, index);
    UpdateModelDisplayList(part, 0.0f);
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

}  // namespace

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
    Assembly gun;
    if (!LoadWeapon("LoadQ3Weapon", PlayerFolder(legs), weapon, gun))
        return false;
    TakeQ3Weapon(legs);
    if (!FindTag(*torso->drawn, 0, kWeaponTag))
        ReportError("LoadQ3Weapon: \"%s\" has no %s; the weapon is held at the torso's origin",
                    torso->path.c_str(), kWeaponTag);
    gun.pieces[0]->attachedTo = torso;
    gun.pieces[0]->attachTag = kWeaponTag;
    bool held = AddAssembly(std::move(gun)) != nullptr;
    viewer.currentModel = legs;
    return held;
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
    OpenModel(folder);
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
