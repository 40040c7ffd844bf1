#pragma once

constexpr int kNumVertexNormals = 162;
extern const float vertexNormalTable[kNumVertexNormals][3];
