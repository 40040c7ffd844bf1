#pragma once

#include <string>
#include <vector>

#include "formats/reports.h"

// One animation of a Quake III player: frames first to first + count - 1,
// the last loop frames played again and again (none: it holds its last
// frame), at fps frames a second.
struct PlayerAnimation {
    std::string name;  // BOTH_DEATH1, TORSO_GESTURE, LEGS_WALK...
    int first;
    int count;
    int loop;
    int fps;
};

// The animations in the order the games number them: 25 of Quake III, 31
// with Team Arena's torso gestures.
constexpr int kPlayerAnimations = 31;
extern const char* const kPlayerAnimationNames[kPlayerAnimations];

// The animations an animation.cfg gives, the legs' frames numbered as the
// games number them in lower.md3 (less the torso's own frames before them).
// "sex", "headoffset", "footsteps", "fixedlegs" and "fixedtorso" lines are
// accepted. False after a report naming the fault.
bool ReadAnimationConfig(const std::string& text, std::vector<PlayerAnimation>& animations, Reports& reports);

// The animations (in the games' order, 25 or 31 of them, the legs'
// numbered in lower.md3) as a file's text: the legs' numbered on past the
// torso's own frames, legsAfter of them, as the games count them.
std::string WriteAnimationConfig(const std::vector<PlayerAnimation>& animations, int legsAfter);

// Which part of a player plays an animation.
bool IsLegsAnimation(const std::string& name);
bool IsTorsoAnimation(const std::string& name);
