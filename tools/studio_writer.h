#pragma once

// A writer of small Half-Life studio models (version 10) for the tests and
// the fuzz seeds: a skeletal model's joints as bones, its animations as
// sequences, its meshes in body parts, 8-bit textures.
#include <cstdint>
#include <string>
#include <vector>

#include "skeletal_writers.h"

namespace writers {

struct StudioPicture {
    std::string name;  // the meshes whose material it is wear it
    uint32_t flags = 0;
    uint32_t width = 8, height = 8;
    std::vector<uint8_t> pixels;  // width x height indices; empty: 16 y + x
};

struct StudioOptions {
    std::string name = "arm";  // the companion files are NAMET.mdl and NAME01.mdl
    std::vector<StudioPicture> textures;
    // Each body part's sub-models, each the model's meshes it holds; empty
    // for one part of one sub-model of every mesh.
    std::vector<std::vector<std::vector<int>>> bodyParts;
    std::vector<std::vector<int>> skinFamilies;  // each family's texture a skin reference (one a texture); empty: one
    bool texturesApart = false;  // in NAMET.mdl
    bool lastInGroup = false;    // the last animation in NAME01.mdl
    bool firstBlended = false;   // the first animation of two blends, the second every joint turned
    std::vector<std::pair<int, std::array<float, 3>>> attachments;  // joint, place on it ("hand1", "hand2"...)
};

struct StudioFiles {
    std::vector<uint8_t> model, textures, group;  // the latter two empty unless asked for
};

// Each vertex on its heaviest joint; triangles as strips and fans where
// consecutive ones make one, wound as GoldSrc winds them (the other way
// from the model's).
StudioFiles WriteStudio(const SkeletalModel& model, const StudioOptions& options);
namespace studio {
constexpr size_t kNumBones = 140, kOfsBones = 144, kNumSequences = 164, kOfsSequences = 168, kNumTextures = 180,
                 kOfsTextures = 184, kOfsBodyParts = 208, kOfsAttachments = 216;  // header fields
}

}  // namespace writers
