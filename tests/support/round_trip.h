#pragma once

// A written model read back, compared with the model it was written from.
#include <string>

#include "rig/assembly.h"

// The first way the copy differs from the source, empty when none does:
// its pieces, their frames and frame names, parts, every triangle corner and
// tag at every frame (within 1e-5 of the source's size), joints, sequence
// names and skin sets.
std::string Difference(const Assembly& source, const Assembly& copy);
