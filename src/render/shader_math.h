#pragma once

// What a shader's stage makes of the time: waves, colours and texture
// coordinate changes, worked out as the Quake III renderer works them out.
#include "formats/shader_script.h"

// Smooth noise in -1 to 1 of four coordinates, the same every run.
float ShaderNoise(float x, float y, float z, float t);

// base + amplitude * func(phase + time * frequency); noise runs on (time + phase) * frequency.
float EvaluateWave(const Wave& wave, double time);

// An affine change of texture coordinates: s' = a s + b t + c, t' = d s + e t + f.
struct TexMatrix {
    float a = 1, b = 0, c = 0, d = 0, e = 1, f = 0;
};

// then after first: the two changes one after the other.
TexMatrix ThenApply(const TexMatrix& first, const TexMatrix& then);
// A tcMod at a time; turb, which moves each vertex by its position, is the identity here.
TexMatrix TexModMatrix(const TexMod& mod, double time);
// Every tcMod of the stage at a time, in order; false when one is turb.
bool StageTexMatrix(const ShaderStage& stage, double time, TexMatrix& matrix);
// The stage's tcMods on one vertex's coordinates, turb included; position in the file's axes.
void ApplyTexMods(const ShaderStage& stage, double time, const float position[3], float st[2]);

// A stage's colour and alpha that are the same for every vertex (lighting
// and vertex colours aside: white); models carry no vertex colours and
// stand for no entity, so those are white as well.
void StageColour(const ShaderStage& stage, double time, float rgba[4]);
// True when the stage takes its colour from the lights.
bool StageIsLit(const ShaderStage& stage);
