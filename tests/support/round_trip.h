#pragma once

// A written model read back, compared with the model it was written from.
#include <string>
#include <vector>

#include "rig/assembly.h"

// Every drawn triangle corner at a frame, three floats a corner; from the
// files' triangle lists rather than their strips and fans when asked.
std::vector<float> FrameCorners(const DrawnModel& drawn, int frame, bool fileTriangles = false);

// The first way the copy differs from the source, empty when none does:
// its pieces, their frames and frame names, every triangle corner (the
// parts' in turn, however they are split) and tag at every frame (within
// tolerance, else 1e-5 of the source's size), joints, sequence names and
// skin sets.
std::string Difference(const Assembly& source, const Assembly& copy, float tolerance = 0);

// How near: within tolerance (0: 1e-5 of the source's size); with steps,
// within half of 1/steps of its size too (the formats of 255 steps of a
// box); the files' triangle lists compared rather than their strips.
struct Nearness {
    float tolerance = 0;
    int steps = 0;
    bool fileTriangles = false;
};
std::string Difference(const Assembly& source, const Assembly& copy, const Nearness& near);

// The same for two players whose frames lie in other orders: each
// sequence of the source's legs and torso played by the copy, as long, at
// the same rate and loop, every frame's corners within tolerance.
std::string SequenceDifference(const Assembly& source, const Assembly& copy, float tolerance);

// Empty when every shader script the source's first skin sets wear is
// among the shader names a copy's file gives (the scripts are the game's own).
std::string ShaderDifference(const Assembly& source, const std::vector<std::string>& shaders);
