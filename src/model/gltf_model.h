#pragma once

// A glTF model's load: its meshes as parts, its morph and node animations
// baked into frames, or its skins as a skeleton posed by its joints'
// animations; nodes named tag_* as tags; its materials and variants as
// skins.
#include <memory>
#include <string>
#include <vector>

#include "formats/gltf.h"
#include "geometry/drawn_model.h"
#include "model/gltf_scene.h"
#include "model/model.h"

// One primitive's vertices and triangles, as the file gives them (glTF's
// axes, its mesh's space).
struct GltfPrimitive {
    int node = -1;
    size_t index = 0;  // its place among its mesh's primitives
    int material = -1;
    std::string name;
    std::vector<float> positions, normals, texCoords;
    std::vector<uint32_t> joints;  // four a vertex, the skin's own indices
    std::vector<float> weights;    // four a vertex
    std::vector<uint32_t> triangles;  // three a triangle, glTF's winding
    // Each morph target's accessors of offsets (-1: none), read as frames are baked.
    std::vector<int> targetPositions, targetNormals;
    size_t Count() const { return positions.size() / 3; }
};

// The triangle primitives of every mesh node of the default scene; others
// (points, lines) are left out with a report. False after a report when
// one cannot be read.
bool ReadPrimitives(const tinygltf::Model& gltf, std::vector<GltfPrimitive>& primitives, Reports& reports);
// The nodes of the default scene (or, with no scene, of every root), parents first.
std::vector<int> SceneNodes(const tinygltf::Model& gltf);

// What the drawn form's frames are read from, kept with the model.
struct GltfRecord {
    std::vector<std::vector<FloatVertex>> frames;  // by part: every frame's vertices in turn
};

// The drawn form: parts, frames (or a skeleton), tags. Frame names come
// back in names. False after a report.
bool ConvertGltf(const tinygltf::Model& gltf, const std::vector<GltfPrimitive>& primitives, GltfRecord& record,
                 DrawnModel& drawn, std::vector<std::string>& names, Reports& reports);

// The same for a scene whose meshes are skinned: the joints as a skeleton,
// posed frame by frame by each animation.
bool SkeletalFrames(const tinygltf::Model& gltf, const std::vector<GltfPrimitive>& primitives,
                    const std::vector<PreparedAnimation>& animations, GltfRecord& record, DrawnModel& drawn,
                    std::vector<std::string>& names, Reports& reports);
// A frame name: the name cut to leave room for its number.
std::string NumberedName(const std::string& name, size_t number);
// The primitive's layout (its own texture coordinate a vertex) and its
// triangles turned to the viewer's winding.
std::shared_ptr<const FrameLayout> PrimitiveLayout(const GltfPrimitive& primitive, std::vector<uint32_t>& corners);
// A primitive's vertices at a state, in the game's axes, as frame vertices.
void BakeFrame(const tinygltf::Model& gltf, const GltfPrimitive& primitive, const SceneState& state,
               const Matrix4& world, FloatVertex* out);
// Every tag node's place at each state, frame after frame.
void AddTags(const tinygltf::Model& gltf, const std::vector<SceneState>& states, DrawnModel& drawn);

// The name of a primitive's mesh's morph target (its extras' targetNames),
// else "frameN".
std::string TargetNameOf(const tinygltf::Model& gltf, const std::vector<GltfPrimitive>& primitives, size_t k);

// One piece of a scene of pieces: its own drawn form, frames and sequences.
struct GltfPieceModel {
    int parent = -1;   // the piece it hangs on
    std::string name;  // its node's
    std::string tag;   // the tag of its parent it hangs on
    std::shared_ptr<GltfRecord> record;
    std::vector<GltfPrimitive> primitives;
    DrawnModel drawn;
    std::vector<std::string> frameNames;
    std::vector<PlayerAnimation> sequences;
};
// The scene as pieces when its mesh nodes each play their own morph frames
// (a whole player as the exports write one); false for any other scene.
bool GltfPieces(const tinygltf::Model& gltf, const std::vector<GltfPrimitive>& primitives,
                std::vector<GltfPieceModel>& pieces);

// The materials as the model's looks: one skin set, or one a variant
// (KHR_materials_variants), each part wearing its material's picture and,
// where the material masks, blends or shows both sides, a shader saying so.
void AddGltfLooks(const tinygltf::Model& gltf, const std::vector<GltfPrimitive>& primitives, ModelObject& model);
