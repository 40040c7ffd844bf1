#include "scene/q3_player.h"

#include <cstdio>
#include <vector>

#include "archive/game_files.h"
#include "formats/animation_cfg.h"
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

const char* const kParts[] = {"lower.md3", "upper.md3", "head.md3", "animation.cfg"};

std::string AsFolder(std::string path)
{
    if (!path.empty() && path.back() != '/')
        path += '/';
    return path;
}

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

// The animations one part plays; false after a report when one runs past its frames.
bool GiveAnimations(ModelObject* part, const std::vector<PlayerAnimation>& all, bool (*plays)(const std::string&),
                    const char* file)
{
    for (const PlayerAnimation& animation : all) {
        if (!plays(animation.name))
            continue;
        if (animation.first < 0 || animation.count < 1 || animation.first + animation.count > part->numFrames) {
            ReportError("LoadQ3Player: %s (frames %d to %d) runs past the %d frames of %s", animation.name.c_str(),
                        animation.first, animation.first + animation.count - 1, part->numFrames, file);
            return false;
        }
        part->sequences.push_back(animation);
    }
    return true;
}

bool ReadAnimations(const std::string& folder, std::vector<PlayerAnimation>& animations)
{
    std::vector<uint8_t> bytes;
    std::string error;
    Reports reports;
    if (ReadGameFile(folder + "animation.cfg", bytes, error) != GameFileResult::kOk) {
        ReportError("LoadQ3Player: Couldn't open the animation file \"%sanimation.cfg\"", folder.c_str());
        return false;
    }
    bool read = ReadAnimationConfig(std::string(bytes.begin(), bytes.end()), animations, reports);
    ReportAll(reports);
    return read;
}

void RemovePlayer(ModelObject* legs)
{
    viewer.currentModel = legs;
    RemoveModel();  // and the parts hanging on it
}

}  // namespace

bool IsQ3PlayerFolder(const std::string& path)
{
    std::string folder = AsFolder(path);
    for (const char* part : kParts)
        if (FindGameFile(folder + part).empty())
            return false;
    return true;
}

ModelObject* AddQ3Player(const std::string& path)
{
    std::string folder = AsFolder(path);
    std::vector<PlayerAnimation> animations;
    if (!ReadAnimations(folder, animations))
        return nullptr;
    ModelObject* legs = AddModel((folder + "lower.md3").c_str());
    if (!legs)
        return nullptr;
    ModelObject* torso = AddModel((folder + "upper.md3").c_str());
    ModelObject* head = torso ? AddModel((folder + "head.md3").c_str()) : nullptr;
    if (torso) {
        torso->attachedTo = legs, torso->attachTag = "tag_torso";
        if (head)
            head->attachedTo = torso, head->attachTag = "tag_head";
    }
    if (!head || !GiveAnimations(legs, animations, IsLegsAnimation, "lower.md3") ||
        !GiveAnimations(torso, animations, IsTorsoAnimation, "upper.md3")) {
        RemovePlayer(legs);
        return nullptr;
    }
    ShowAnimation(legs, AnimationNamed(legs, "LEGS_IDLE"));
    ShowAnimation(torso, AnimationNamed(torso, "TORSO_STAND"));
    viewer.currentModel = legs;
    return legs;
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
