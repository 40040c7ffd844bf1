#pragma once

// The axes of today's tools (glTF, OBJ: y up, z toward the viewer, metres)
// and the game's (z up, x forward, an inch a unit), as the exports turn the
// one into the other and the readers turn it back.

// Game units a metre: the exports write an inch a unit.
constexpr double kUnitsPerMetre = 1.0 / 0.0254;

// A point or direction of the tools' axes as the game's, points also from
// metres into units: the game's axis a is the tools' (a + 2) % 3.
inline void GamePoint(const double in[3], float out[3])
{
    for (int a = 0; a < 3; ++a)
        out[a] = static_cast<float>(in[(a + 2) % 3] * kUnitsPerMetre);
}

inline void GameDirection(const double in[3], float out[3])
{
    for (int a = 0; a < 3; ++a)
        out[a] = static_cast<float>(in[(a + 2) % 3]);
}
