#pragma once

// The checks a glTF record passes before any of it is used: every index in
// range, every view inside its buffer, every accessor inside its view
// (strides no smaller than an element, counts that cannot overflow), the
// node hierarchy a forest, animation samplers of matching lengths.
#include <tiny_gltf.h>

#include "formats/reports.h"

// False after a report naming the first fault.
bool CheckGltf(const tinygltf::Model& gltf, Reports& reports);

// The components an accessor's type has (VEC3: 3); 0 for none.
int ComponentsOf(const tinygltf::Accessor& accessor);
