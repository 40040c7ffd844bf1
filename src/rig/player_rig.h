#pragma once

// The Quake III player rig, written once for the viewer, pictures and
// export alike: the parts of a player and the tags they hang on, the
// weapon's parts, the animations they start in, and the rule that shows a
// weapon's flash only while the torso attacks.
#include <string>

// A part of the rig: its file, the part it hangs on (its place in the
// list, -1 for none) and that part's tag.
struct RigPart {
    const char* file;
    int parent;
    const char* tag;
};

// The player's parts, the legs first; each hangs on the one before it.
extern const RigPart kPlayerParts[3];
// The weapon hangs on the torso's tag; its barrel and flash, files beside
// it named with a suffix ("_barrel"), on its own tags.
extern const char kWeaponTag[];
extern const RigPart kWeaponParts[2];  // file is the suffix; parent 0 is the weapon

// The animation a part starts in: the legs idle, the torso standing.
const char* RestAnimation(bool legs);

// False for a part on the weapon's flash tag while the torso carrying it
// plays another animation than an attack: the flash shows only then.
// carrierAnimation is the name of the animation of the nearest part above
// it that plays one (empty for none).
bool RigPartShown(const std::string& tag, const std::string& carrierAnimation);
