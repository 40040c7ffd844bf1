#pragma once

#include <cstdint>

// A model keeps at most this many skins.
constexpr int kMaxSkins = 32;

// 4 bytes a vertex in both formats: position = coordinate * scale + translate.
struct PackedVertex {
    uint8_t x, y, z, normalIndex;
};

// One frame's name: at most 16 characters, not necessarily NUL-terminated.
struct FrameName {
    char text[16];
};
