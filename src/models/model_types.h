#pragma once

#include <cstdint>

enum ModelType : int32_t { kModelMdl = 1, kModelMd2 = 2 };

// 4 bytes a vertex in both formats: position = coordinate * scale + translate.
struct PackedVertex {
    uint8_t x, y, z, normalIndex;
};

// One frame's name: at most 16 characters, not necessarily NUL-terminated.
struct FrameName {
    char text[16];
};

struct SkinInfo {
    uint32_t textureId = 0;
    char name[64] = {};
    int32_t group = -1;     // the MDL skin group the picture came from; -1 for a single skin
    float interval = 0.0f;  // a group picture's end time in seconds
};
