#pragma once

// Return to Castle Wolfenstein's compressed Quake III model (MDC, "IDPC"
// version 2): an MD3 whose surfaces keep a few base frames of 1/64-unit
// vertices and, for the frames between, each vertex's offset from its base
// frame in 0.05-unit steps with a normal from a table of 256; tags as
// 1/64-unit origins and angles, their names once.
#include <cstdint>
#include <memory>
#include <vector>

#include "formats/frame_types.h"
#include "formats/md3.h"
#include "formats/reports.h"

constexpr int kMdcHeaderSize = 112;
constexpr int kMdcSurfaceHeaderSize = 124;

struct MdcFile {
    // Frames, tags, and the surfaces' names, shaders, triangles and texture
    // coordinates (no vertices: they are in frames).
    Md3File shape;
    // Each surface's vertices, numVertices a frame, every frame decoded.
    std::vector<std::vector<FloatVertex>> frames;
    int32_t baseFrames = 0, compressedFrames = 0;  // the first surface's, for a listing
};

// One of the engine's 256 normals of compressed frames.
const float* MdcNormal(uint8_t index);

// Reads a whole file, checking every count, offset and frame index as MD3's
// are; null after a report naming the fault.
std::unique_ptr<MdcFile> ReadMdc(const std::vector<uint8_t>& bytes, Reports& reports);
