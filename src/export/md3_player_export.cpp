// A Quake III player written as the games load one: a folder of lower.md3,
// upper.md3 and head.md3 hung on tag_torso and tag_head, animation.cfg
// with every sequence in the games' order and numbering, and each part's
// .skin file a skin set.
#include <sys/stat.h>

#include <algorithm>
#include <cstring>

#include "export/game_looks.h"
#include "export/md3_export.h"
#include "export/player_export.h"
#include "formats/animation_cfg.h"
#include "formats/skin_file.h"

namespace {

constexpr int kFirstLegs = 13, kFirstTeamArena = 25;  // LEGS_WALKCR, TORSO_GETFLAG

const PlayerAnimation* Named(const ModelObject& part, const char* name)
{
    for (const PlayerAnimation& sequence : part.sequences)
        if (sequence.name == name)
            return &sequence;
    return nullptr;
}

// The frames of a part in the order the games want them, each sequence's
// place among them in written.
class PartFrames {
public:
    explicit PartFrames(const ModelObject& part) : part_(part) {}

    // The sequence's frames, count of them (spread over its own), from
    // here; its rest animation's first frame where it has no such sequence.
    PlayerAnimation Add(const char* name, int count, const char* rest)
    {
        const PlayerAnimation* sequence = Named(part_, name);
        const PlayerAnimation* standIn = sequence ? sequence : Named(part_, rest);
        PlayerAnimation written{name, static_cast<int>(frames.size()), count, 0, 10};
        if (standIn)
            written.fps = standIn->fps, written.loop = sequence ? std::min(sequence->loop, count) : 0;
        for (int k = 0; k < count; ++k) {
            int own = !sequence ? (standIn ? standIn->first : 0)
                                : sequence->first + static_cast<int>(int64_t(k) * sequence->count / count);
            frames.push_back({own, own, 0.0f, FrameNameOfPart(own)});
        }
        return written;
    }

    std::vector<GameFrame> frames;

private:
    std::string FrameNameOfPart(int frame) const
    {
        const char* text = part_.frameNames[frame].text;
        return std::string(text, strnlen(text, sizeof part_.frameNames[frame].text));
    }
    const ModelObject& part_;
};

int CountOf(const ModelObject& part, const char* name)
{
    const PlayerAnimation* sequence = Named(part, name);
    return sequence ? std::max(sequence->count, 1) : 0;
}

bool PlaysAny(const ModelObject& part, int first, int last)
{
    for (int i = first; i < last; ++i)
        if (Named(part, kPlayerAnimationNames[i]))
            return true;
    return false;
}

// Both parts' frames and the animations: the shared ones first, at the
// same places in both, then the torso's and the legs' own.
std::vector<PlayerAnimation> OrderFrames(const ModelObject& legs, const ModelObject& torso, PartFrames& lower,
                                         PartFrames& upper)
{
    std::vector<PlayerAnimation> animations(kPlayerAnimations);
    bool teamArena = PlaysAny(torso, kFirstTeamArena, kPlayerAnimations);
    for (int i = 0; i < kPlayerAnimations; ++i) {
        const char* name = kPlayerAnimationNames[i];
        if (i < 6) {  // BOTH_: one entry for both files
            int count = std::max({CountOf(torso, name), CountOf(legs, name), 1});
            animations[i] = upper.Add(name, count, "TORSO_STAND");
            lower.Add(name, count, "LEGS_IDLE");
        }
    }
    for (int i = 6; i < kPlayerAnimations; ++i) {
        const char* name = kPlayerAnimationNames[i];
        bool legsPlay = i >= kFirstLegs && i < kFirstTeamArena;
        if (i >= kFirstTeamArena && !teamArena)
            continue;
        const ModelObject& part = legsPlay ? legs : torso;
        PartFrames& frames = legsPlay ? lower : upper;
        animations[i] = frames.Add(name, std::max(CountOf(part, name), 1), legsPlay ? "LEGS_IDLE" : "TORSO_STAND");
    }
    if (!teamArena)
        animations.resize(kFirstTeamArena);
    return animations;
}

struct FolderPiece {
    const ModelObject* model;
    const char* name;  // lower, upper, head
    std::vector<GameFrame> frames;
};

// The piece's files: its MD3, pictures and a .skin file a skin set (one
// named "default" always, as the games ask for it).
bool AddPiece(const FolderPiece& piece, const std::string& folder, float scale, std::vector<uint8_t>& bytes,
              OutputFiles& files, std::vector<std::string>& notes, std::string& error)
{
    GameLooks looks;
    Md3File file;
    std::vector<size_t> partOf;
    std::vector<std::string> own;
    bool made = MakeGameLooks(*piece.model, folder, piece.name, "players/", looks, own, error) &&
                MakeMd3(*piece.model, piece.frames, scale, looks.shaders[0], file, partOf, own, error);
    for (const std::string& note : own)
        notes.push_back(std::string(piece.name) + ": " + note);
    if (!made) {
        error = std::string(piece.name) + ": " + error;
        return false;
    }
    file.name = std::string(piece.name) + ".md3";
    bytes = WriteMd3(file);
    files.insert(files.end(), looks.pictures.begin(), looks.pictures.end());
    if (std::find(looks.skinNames.begin(), looks.skinNames.end(), "default") == looks.skinNames.end()) {
        looks.skinNames.insert(looks.skinNames.begin(), "default");
        looks.shaders.insert(looks.shaders.begin(), looks.shaders[0]);
    }
    for (size_t skin = 0; skin < looks.skinNames.size(); ++skin) {
        std::vector<SkinFileEntry> entries;
        for (size_t s = 0; s < file.surfaces.size(); ++s)
            entries.push_back({file.surfaces[s].name, looks.shaders[skin][partOf[s]]});
        files.push_back({folder + piece.name + "_" + looks.skinNames[skin] + ".skin", WriteSkinFile(entries)});
    }
    return true;
}

const ModelObject* HeadOf(const Assembly& assembly, const ModelObject* torso)
{
    for (const auto& piece : assembly.pieces)
        if (piece->attachedTo == torso && piece->attachTag == "tag_head")
            return piece.get();
    return nullptr;
}

}  // namespace

bool WritePlayerFolder(const Assembly& assembly, const ExportRequest& request, std::string& error)
{
    if (assembly.legs < 0 || assembly.torso < 0) {
        error = "a player folder needs legs and a torso that play animation.cfg's sequences";
        return false;
    }
    const ModelObject& legs = *assembly.pieces[assembly.legs];
    const ModelObject& torso = *assembly.pieces[assembly.torso];
    std::string folder = request.output.substr(0, request.output.size() - 4) + "/";
    PartFrames lower(legs), upper(torso);
    std::vector<PlayerAnimation> animations = OrderFrames(legs, torso, lower, upper);
    std::vector<FolderPiece> pieces = {{&legs, "lower", lower.frames}, {&torso, "upper", upper.frames}};
    std::vector<std::string> notes;
    if (const ModelObject* head = HeadOf(assembly, &torso)) {
        std::vector<GameFrame> frames;
        ExportRequest whole;
        if (!MakeGameFrames(*head, whole, frames, error))
            return false;
        pieces.push_back({head, "head", frames});
    } else {
        notes.push_back("the player has no head");
    }
    if (assembly.pieces.size() > pieces.size())
        notes.push_back("what the player holds is not written into its folder");
    OutputFiles files;
    std::vector<std::vector<uint8_t>> md3s(pieces.size());
    std::vector<std::pair<std::string, const std::vector<uint8_t>*>> models;
    for (size_t p = 0; p < pieces.size(); ++p) {
        if (!AddPiece(pieces[p], folder, GameScale(request), md3s[p], files, notes, error))
            return false;
        models.push_back({folder + pieces[p].name + ".md3", &md3s[p]});
    }
    int bothFrames = 0;
    for (int i = 0; i < 6; ++i)
        bothFrames += animations[i].count;
    int torsoOwn = static_cast<int>(upper.frames.size()) - bothFrames;
    files.push_back({folder + "animation.cfg", WriteAnimationConfig(animations, torsoOwn)});
    mkdir(folder.c_str(), 0777);
    if (!WriteGameFiles(models, files, error))
        return false;
    notes.push_back("a player folder of " + std::to_string(models.size() + files.size()) +
                    " files, within the limits of ioquake3 and DarkPlaces");
    if (request.summary)
        request.summary->notes = notes, request.summary->frames = static_cast<int>(upper.frames.size());
    return true;
}
