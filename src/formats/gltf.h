#pragma once

// glTF 2.0, binary (.glb) or text (.gltf), through tinygltf with files of
// our own: a URI is read only when it names a file beside the model (no
// scheme but data:, no absolute path, no "..", no expansion of any kind),
// images are kept as their files' bytes for our own decoders, and every
// index, offset, stride and count is checked before the record is handed
// on, so that reading an accessor never leaves its buffer.
#include <tiny_gltf.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "formats/gltf_checks.h"
#include "formats/reports.h"

struct GltfFile {
    tinygltf::Model gltf;
};

// Reads a file beside the model by its path relative to the model's
// folder, already checked; false with the fault in error.
using ReadBesideFunction = std::function<bool(const std::string& name, std::vector<uint8_t>& bytes, std::string& error)>;

// Neither a JSON text nor its nesting may be larger than these.
constexpr size_t kMaxGltfJson = 64u << 20;
constexpr int kMaxGltfDepth = 64;

// A member of a JSON object (extras, extensions), or a null value when the
// value is no object or has no such member: tinygltf's own Get asserts.
const tinygltf::Value& Member(const tinygltf::Value& value, const char* key);
// An element of a JSON array, or a null value past its end or for no array.
const tinygltf::Value& Element(const tinygltf::Value& value, size_t index);

// The record of a .glb's or .gltf's bytes; null after the reports.
std::unique_ptr<GltfFile> ReadGltf(const std::vector<uint8_t>& bytes, const ReadBesideFunction& beside,
                                   Reports& reports);

// An accessor's elements as floats, components a element (normalized
// integers as their fractions, sparse values laid over): checked when the
// file was read, so only a wrong component count fails.
bool AccessorFloats(const tinygltf::Model& gltf, int accessor, int components, std::vector<float>& out);
// An accessor of whole numbers (indices, joints), any unsigned type.
bool AccessorInts(const tinygltf::Model& gltf, int accessor, std::vector<uint32_t>& out);
