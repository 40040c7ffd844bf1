#include "rig/player_rig.h"

const RigPart kPlayerParts[3] = {{"lower.md3", -1, ""}, {"upper.md3", 0, "tag_torso"}, {"head.md3", 1, "tag_head"}};
const char kWeaponTag[] = "tag_weapon";
const RigPart kWeaponParts[2] = {{"_barrel", 0, "tag_barrel"}, {"_flash", 0, "tag_flash"}};

const char* RestAnimation(bool legs)
{
    return legs ? "LEGS_IDLE" : "TORSO_STAND";
}

bool RigPartShown(const std::string& tag, const std::string& carrierAnimation)
{
    return tag != kWeaponParts[1].tag || carrierAnimation.compare(0, 12, "TORSO_ATTACK") == 0;
}
