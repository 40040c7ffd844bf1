#pragma once

#include <cstdint>

constexpr int kNumVertexNormals = 162;
extern const float vertexNormalTable[kNumVertexNormals][3];

// A latitude (high byte) and longitude (low byte) normal, each 256 steps of
// a full turn, as a unit vector.
void LatLongNormal(uint16_t normal, float out[3]);
// The nearest such normal to a unit vector, as Quake III's tools encode
// them (straight up and down at longitude 0 and 128).
uint16_t LatLongOfNormal(const float normal[3]);
// Every such normal's unit vector, three floats each, worked out once.
const float* LatLongNormalTable();
// The index of the nearest of the 162 normals of MDL and MD2 to a vector.
uint8_t NearestVertexNormal(const float normal[3]);
