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
    uint32_t textureId;
    char name[64];
};
