#pragma once

// Half-Life's studio model ("IDST", version 10), little endian: bones with
// their controllers, sequences of run-length packed bone channels (kept in
// sequence-group files NAME01.mdl... beside it past the first group),
// 8-bit textures with their own palettes (in NAMET.mdl when the model has
// none), skin families, body parts of sub-models and attachments.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "formats/reports.h"

constexpr int kStudioHeaderSize = 244;

// Texture flags as GoldSrc draws them.
constexpr uint32_t kStudioChrome = 0x02, kStudioAdditive = 0x20, kStudioMasked = 0x40;
constexpr uint32_t kStudioLooping = 0x01;

struct StudioBone {
    std::string name;
    int32_t parent;         // before the bone itself, or -1
    int32_t controller[6];  // the controller moving each channel, or -1
    float value[6];         // the rest pose: position, then angles in radians
    float scale[6];         // what one step of a packed channel is worth
};

struct StudioController {
    int32_t bone, type;
    float start, end;
    int32_t rest;  // the 0-255 setting at rest
};

struct StudioSequence {
    std::string name;
    float fps;
    bool loop;
    uint32_t frames;
    uint32_t blends;
    uint32_t motionType;  // the motion bone's channels the engine leaves at zero (X 1, Y 2, Z 4)
    uint32_t motionBone;
    // The first blend's channels: six a bone (position, angles) a frame,
    // each the bone's rest value plus its steps times the scale. Empty when
    // its sequence-group file was not found.
    std::vector<float> channels;
};

struct StudioAttachment {
    std::string name;
    uint32_t bone;
    float origin[3];
};

struct StudioTexture {
    std::string name;
    uint32_t flags;
    uint32_t width, height;
    std::vector<uint8_t> pixels;  // palette indices, rows from the top
    std::vector<uint8_t> palette;  // 256 RGB colours
};

// A triangle corner: the sub-model's vertex and normal and the texel it takes.
struct StudioCorner {
    uint16_t vertex, normal;
    int16_t s, t;
};

struct StudioMesh {
    uint32_t skinRef;
    std::vector<StudioCorner> corners;  // three a triangle, the strips and fans unwound as OpenGL draws them
};

struct StudioSubModel {
    std::string name;
    std::vector<uint8_t> vertexBones, normalBones;
    std::vector<float> vertices, normals;  // three each, in their bone's space
    std::vector<StudioMesh> meshes;
};

struct StudioBodyPart {
    std::string name;
    uint32_t base;  // how the body number counts this part's sub-models
    std::vector<StudioSubModel> models;
};

struct StudioFile {
    std::vector<StudioBone> bones;
    std::vector<StudioController> controllers;
    std::vector<StudioSequence> sequences;
    std::vector<StudioAttachment> attachments;
    std::vector<StudioTexture> textures;
    std::vector<std::vector<uint32_t>> skinFamilies;  // each family's texture for every skin reference
    std::vector<StudioBodyPart> bodyParts;
};

// A file beside the model by what follows its name ("T", "01"...); false
// when there is none.
using StudioCompanion = std::function<bool(const std::string& suffix, std::vector<uint8_t>& bytes)>;

// Reads a whole model, checking every count, offset, parent and index, its
// textures and sequence groups from companion; null after a report naming
// the fault. A missing sequence-group file is reported and its sequences
// kept empty.
std::unique_ptr<StudioFile> ReadStudio(const std::vector<uint8_t>& bytes, const StudioCompanion& companion,
                                       Reports& reports);
