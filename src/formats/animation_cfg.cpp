#include "formats/animation_cfg.h"

#include <strings.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sstream>

const char* const kPlayerAnimationNames[kPlayerAnimations] = {
    "BOTH_DEATH1",   "BOTH_DEAD1",     "BOTH_DEATH2",   "BOTH_DEAD2",     "BOTH_DEATH3",      "BOTH_DEAD3",
    "TORSO_GESTURE", "TORSO_ATTACK",   "TORSO_ATTACK2", "TORSO_DROP",     "TORSO_RAISE",      "TORSO_STAND",
    "TORSO_STAND2",  "LEGS_WALKCR",    "LEGS_WALK",     "LEGS_RUN",       "LEGS_BACK",        "LEGS_SWIM",
    "LEGS_JUMP",     "LEGS_LAND",      "LEGS_JUMPB",    "LEGS_LANDB",     "LEGS_IDLE",        "LEGS_IDLECR",
    "LEGS_TURN",     "TORSO_GETFLAG",  "TORSO_GUARDBASE", "TORSO_PATROL", "TORSO_FOLLOWME",   "TORSO_AFFIRMATIVE",
    "TORSO_NEGATIVE"};

namespace {

constexpr int kQuake3Animations = 25;
constexpr int kLegsWalkCrouched = 13, kLegsTurn = 24, kTorsoGesture = 6;
constexpr size_t kLongestLine = 1024;
constexpr int kLargestFrame = 100000;

bool WholeNumber(const std::string& word, int low, int high, int* value)
{
    char* end = nullptr;
    errno = 0;
    long number = strtol(word.c_str(), &end, 10);
    if (word.empty() || *end != '\0' || errno != 0 || number < low || number > high)
        return false;
    *value = static_cast<int>(number);
    return true;
}

bool IsKeyword(const std::string& word)
{
    for (const char* keyword : {"sex", "headoffset", "footsteps", "fixedlegs", "fixedtorso"})
        if (strcasecmp(word.c_str(), keyword) == 0)
            return true;
    return false;
}

// One line of numbers: first frame, count, looping frames, frames a second.
bool ReadNumbers(std::istringstream& words, const std::string& first, PlayerAnimation& animation)
{
    std::string count, loop, fps;
    words >> count >> loop >> fps;
    return WholeNumber(first, 0, kLargestFrame, &animation.first) &&
           WholeNumber(count, 0, kLargestFrame, &animation.count) &&
           WholeNumber(loop, 0, kLargestFrame, &animation.loop) && WholeNumber(fps, 0, 1000, &animation.fps);
}

}  // namespace

bool ReadAnimationConfig(const std::string& text, std::vector<PlayerAnimation>& animations, Reports& reports)
{
    animations.clear();
    size_t number = 0;
    for (size_t start = 0; start < text.size(); ++number) {
        size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end;
        if (end - start > kLongestLine) {
            AddReport(reports, "ReadAnimationConfig: line %zu is longer than %zu characters", number + 1,
                      kLongestLine);
            return false;
        }
        std::string line = text.substr(start, end - start);
        start = end + 1;
        line = line.substr(0, line.find("//"));
        std::istringstream words(line);
        std::string first;
        if (!(words >> first) || IsKeyword(first))
            continue;
        PlayerAnimation animation{};
        if (animations.size() >= kPlayerAnimations || !ReadNumbers(words, first, animation)) {
            AddReport(reports, "ReadAnimationConfig: line %zu is not \"first count loop fps\": \"%.60s\"", number + 1,
                      line.c_str());
            return false;
        }
        animation.name = kPlayerAnimationNames[animations.size()];
        animation.fps = animation.fps > 0 ? animation.fps : 1;
        animation.loop = animation.loop <= animation.count ? animation.loop : animation.count;
        animations.push_back(animation);
    }
    if (animations.size() < kQuake3Animations) {
        AddReport(reports, "ReadAnimationConfig: %zu animations, fewer than the %d of a player", animations.size(),
                  kQuake3Animations);
        return false;
    }
    // The legs' frames follow the animations both parts share in lower.md3.
    int skip = animations[kLegsWalkCrouched].first - animations[kTorsoGesture].first;
    for (int i = kLegsWalkCrouched; i <= kLegsTurn; ++i)
        animations[i].first -= skip;
    return true;
}

std::string WriteAnimationConfig(const std::vector<PlayerAnimation>& animations, int legsAfter)
{
    std::string text = "// animation config file\n\nsex m\n\nheadoffset 0 0 0\nfootsteps normal\n\n";
    text += "// first frame, num frames, looping frames, frames per second\n\n";
    for (size_t i = 0; i < animations.size(); ++i) {
        const PlayerAnimation& a = animations[i];
        bool legs = static_cast<int>(i) >= kLegsWalkCrouched && static_cast<int>(i) <= kLegsTurn;
        text += std::to_string(a.first + (legs ? legsAfter : 0)) + "\t" + std::to_string(a.count) + "\t" +
                std::to_string(a.loop) + "\t" + std::to_string(a.fps) + "\t\t// " + a.name + "\n";
    }
    return text;
}

bool IsLegsAnimation(const std::string& name)
{
    return name.compare(0, 5, "LEGS_") == 0 || name.compare(0, 5, "BOTH_") == 0;
}

bool IsTorsoAnimation(const std::string& name)
{
    return name.compare(0, 6, "TORSO_") == 0 || name.compare(0, 5, "BOTH_") == 0;
}
