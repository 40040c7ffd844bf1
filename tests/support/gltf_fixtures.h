#pragma once

// Small glTF scenes, each showing one feature, for the tests and the fuzz seeds.
#include "gltf_writers.h"

// A triangle whose one morph target lifts it 1 m, blended by an animation's weights.
writers::GltfBuilder MorphGltf();
// A triangle on a root joint whose translation runs from 0 to 2 m over two
// seconds by each interpolation, and a second channel keyed at 0.5 s.
writers::GltfBuilder SkinnedGltf();
// A triangle under a node turned a quarter about y under one moved 1 m up
// and doubled, with a tag_top node 1 m along the turned x.
writers::GltfBuilder NestedGltf();
// Positions as whole shorts scaled by their node, a sparse morph target
// shown whole by the mesh's weights.
writers::GltfBuilder QuantizedGltf();
// The triangle every scene draws.
extern const std::vector<float> kTriangle;
