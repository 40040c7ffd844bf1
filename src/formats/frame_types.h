#pragma once

#include <cstddef>
#include <cstdint>

// A model keeps at most this many skins.
constexpr int kMaxSkins = 32;

// 4 bytes a vertex in both formats: position = coordinate * scale + translate.
struct PackedVertex {
    uint8_t x, y, z, normalIndex;
};

// 8 bytes a vertex (MD3): coordinates in 1/64 units, and a normal as
// latitude (high byte) and longitude (low byte), each 256 steps of a full turn.
struct ShortVertex {
    int16_t x, y, z;
    uint16_t normal;
};

// 24 bytes a vertex (models of today's formats): a position and a normal in floats.
struct FloatVertex {
    float x, y, z;
    float normal[3];
};

// One frame's name: at most 16 characters as the file gives them, as text
// (UTF-8, up to four bytes a character), NUL-ended.
constexpr size_t kFrameNameCharacters = 16;
struct FrameName {
    char text[4 * kFrameNameCharacters + 1];
};
