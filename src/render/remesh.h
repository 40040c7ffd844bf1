#pragma once

#include <cstdint>

struct RemeshVertex {
    float position[3];
    float normal[3];
    float texCoord[3];  // s, t and an unused 0
};

// Triangles only here, so a polygon holds its three vertices in place.
struct RemeshPolygon {
    int32_t numVertices;
    RemeshVertex vertices[3];
};

constexpr float remeshTension = 1.0f;

// No rebuild of all lists may draw more triangles than this; a display list
// of tens of millions would freeze the viewer.
constexpr int64_t kMaxRemeshTriangles = 4000000;

// The immediate-mode interface, one working triangle at a time.
void remeshBegin();
void remeshNormal3f(float x, float y, float z);
void remeshTexCoord2f(float s, float t);
void remeshVertex3f(float x, float y, float z);
void remeshEnd();

// Where the subdivided triangles go: appended to the geometry's own arrays
// (each triangle's first vertex last, as OpenGL rasterises a polygon), or,
// with null, drawn at once as polygons.
struct FrameGeometry;
void RemeshEmitInto(FrameGeometry* output);

// The depth remeshEnd subdivides to (the threshold, unless a draw limits it).
void RemeshSetDepth(int depth);
// The threshold, lowered until the triangles it makes stay within the bound.
int RemeshDepthFor(int64_t triangles);
// Triangles that depth makes of the given ones, saturating past the bound.
int64_t RemeshTriangleCount(int64_t triangles, int depth);

void SubdividePolygon(const RemeshPolygon* polygon, float tension, int depth);
void ComputeEdgeMidpoints(const RemeshPolygon* polygon, RemeshPolygon* midpoints, float tension);
void HermitePoint(const float p0[3], const float p1[3], const float d0[3], const float d1[3],
                  float t, float out[3]);
