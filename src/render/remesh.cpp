#include "render/remesh.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/error_log.h"
#include "render/frame_arrays.h"
#include "state/viewer_state.h"

namespace {

RemeshPolygon working = {};
int subdivisionDepth = 1;
FrameGeometry* emitInto = nullptr;
size_t emitted = 0;  // vertices written into emitInto

void AppendVertex(FrameGeometry& out, const RemeshVertex& v)
{
    if (8 * (emitted + 1) > out.interleaved.size())
        out.interleaved.resize(8 * (2 * emitted + 3));
    float* at = &out.interleaved[8 * emitted];
    at[0] = v.texCoord[0], at[1] = v.texCoord[1];
    std::copy(v.normal, v.normal + 3, at + 2);
    std::copy(v.position, v.position + 3, at + 5);
    ++emitted;
}

// The interface guards the order of calls; breaking it is a programming error.
[[noreturn]] void MisuseExit()
{
    exit(0);
}

void Add3(const float a[3], const float b[3], float out[3])
{
    for (int i = 0; i < 3; ++i)
        out[i] = a[i] + b[i];
}

void Negate3(const float a[3], float out[3])
{
    for (int i = 0; i < 3; ++i)
        out[i] = -a[i];
}

void Scale3(const float a[3], float s, float out[3])
{
    for (int i = 0; i < 3; ++i)
        out[i] = a[i] * s;
}

void Cross3(const float a[3], const float b[3], float out[3])
{
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

float Length3(const float a[3])
{
    return std::sqrt(a[0] * a[0] + a[1] * a[1] + a[2] * a[2]);
}

// Scales a to unit length, its length already known.
void Normalize3(float a[3], float length)
{
    for (int i = 0; i < 3; ++i)
        a[i] /= length;
}

// The direction of edge e within the tangent plane of normal n; false when
// there is none (a zero edge, or one parallel to n). Each length is taken once.
bool EdgeTangent(const float e[3], const float n[3], float out[3])
{
    float side[3];
    Cross3(e, n, side);
    float length = Length3(side);
    if (length == 0.0f)
        return false;
    Normalize3(side, length);
    Cross3(n, side, out);
    length = Length3(out);
    if (length == 0.0f)
        return false;
    Normalize3(out, length);
    return true;
}

void EdgeMidpoint(const RemeshVertex& a, const RemeshVertex& b, float tension, RemeshVertex& mid)
{
    float minusA[3], e[3];
    Negate3(a.position, minusA);
    Add3(b.position, minusA, e);
    float tA[3], tB[3];
    if (EdgeTangent(e, a.normal, tA) && EdgeTangent(e, b.normal, tB)) {
        float k = Length3(e) * tension, dA[3], dB[3];
        Scale3(tA, k, dA);
        Scale3(tB, k, dB);
        HermitePoint(a.position, b.position, dA, dB, 0.5f, mid.position);
    } else {
        Add3(a.position, b.position, mid.position);
        Scale3(mid.position, 0.5f, mid.position);
    }
    mid.texCoord[0] = (a.texCoord[0] + b.texCoord[0]) / 2;
    mid.texCoord[1] = (a.texCoord[1] + b.texCoord[1]) / 2;
    mid.texCoord[2] = 0.0f;
    float n[3];
    Add3(a.normal, b.normal, n);
    float length = Length3(n);
    if (length == 0.0f) {
        for (int i = 0; i < 3; ++i)
            mid.normal[i] = a.normal[i];
        ReportError("Warning: 0 normal!");
    } else {
        Normalize3(n, length);
        for (int i = 0; i < 3; ++i)
            mid.normal[i] = n[i];
    }
}

}  // namespace

void remeshBegin()
{
    if (working.numVertices != 0) {
        ReportError("Call to remeshBegin() when numVertices != 0");
        MisuseExit();
    }
}

void remeshNormal3f(float x, float y, float z)
{
    if (working.numVertices >= 3) {
        ReportError("remeshNormal3f: maximum number of vertices exceeded");
        MisuseExit();
    }
    float* n = working.vertices[working.numVertices].normal;
    n[0] = x, n[1] = y, n[2] = z;
}

void remeshTexCoord2f(float s, float t)
{
    if (working.numVertices >= 3) {
        ReportError("remeshTexCoord2f: maximum number of vertices exceeded");
        MisuseExit();
    }
    float* st = working.vertices[working.numVertices].texCoord;
    st[0] = s, st[1] = t;
}

void remeshVertex3f(float x, float y, float z)
{
    if (working.numVertices >= 3) {
        ReportError("remeshVertex3f: maximum number of vertices exceeded");
        MisuseExit();
    }
    float* p = working.vertices[working.numVertices].position;
    p[0] = x, p[1] = y, p[2] = z;
    working.numVertices++;
}

void remeshEnd()
{
    if (working.numVertices != 3) {
        ReportError("remeshEnd: number of vertices is not %d", 3);
        MisuseExit();
    }
    SubdividePolygon(&working, remeshTension, subdivisionDepth);
    working.numVertices = 0;
}

void RemeshEmitInto(FrameGeometry* output)
{
    // Output ends: the arrays are cut to what was written.
    if (emitInto && !output)
        emitInto->interleaved.resize(8 * emitted);
    emitInto = output;
    emitted = 0;
}

void RemeshSetDepth(int depth)
{
    subdivisionDepth = depth;
}

int64_t RemeshTriangleCount(int64_t triangles, int depth)
{
    for (int d = 0; d < depth && triangles <= kMaxRemeshTriangles; ++d)
        triangles *= 4;
    return triangles;
}

int RemeshDepthFor(int64_t triangles)
{
    int depth = viewer.remeshThreshold;
    while (depth > 0 && RemeshTriangleCount(triangles, depth) > kMaxRemeshTriangles)
        --depth;
    return depth;
}

void HermitePoint(const float p0[3], const float p1[3], const float d0[3], const float d1[3],
                  float t, float out[3])
{
    float t2 = t * t, t3 = t2 * t;
    float h0 = 2 * t3 - 3 * t2 + 1, h1 = -2 * t3 + 3 * t2, h2 = t3 - 2 * t2 + t, h3 = t3 - t2;
    for (int i = 0; i < 3; ++i)
        out[i] = h0 * p0[i] + h1 * p1[i] + h2 * d0[i] + h3 * d1[i];
}

void ComputeEdgeMidpoints(const RemeshPolygon* polygon, RemeshPolygon* midpoints, float tension)
{
    int n = polygon->numVertices;
    midpoints->numVertices = n;
    for (int i = 0; i < n; ++i)
        EdgeMidpoint(polygon->vertices[i], polygon->vertices[(i + 1) % n], tension,
                     midpoints->vertices[i]);
}

void SubdividePolygon(const RemeshPolygon* polygon, float tension, int depth)
{
    int n = polygon->numVertices;
    if (depth <= 0 && emitInto) {
        for (int i = 1; i <= n; ++i)
            AppendVertex(*emitInto, polygon->vertices[i % n]);
        return;
    }
    if (depth <= 0) {
        glBegin(GL_POLYGON);
        for (int i = 0; i < n; ++i) {
            const RemeshVertex& v = polygon->vertices[i];
            glNormal3fv(v.normal);
            glTexCoord2fv(v.texCoord);
            glVertex3fv(v.position);
        }
        glEnd();
        return;
    }
    RemeshPolygon midpoints;
    ComputeEdgeMidpoints(polygon, &midpoints, tension);
    if (depth == 1 && emitInto) {
        // The last level: the four triangles go out as they are, uncopied.
        const RemeshVertex* v = polygon->vertices;
        const RemeshVertex* m = midpoints.vertices;
        for (int i = 0; i < n; ++i)
            for (const RemeshVertex* corner : {&m[i], &m[(i + n - 1) % n], &v[i]})
                AppendVertex(*emitInto, *corner);
        for (int i = 1; i <= n; ++i)
            AppendVertex(*emitInto, m[i % n]);
        return;
    }
    for (int i = 0; i < n; ++i) {
        RemeshPolygon corner;
        corner.numVertices = 3;
        corner.vertices[0] = polygon->vertices[i];
        corner.vertices[1] = midpoints.vertices[i];
        corner.vertices[2] = midpoints.vertices[(i + n - 1) % n];
        SubdividePolygon(&corner, tension, depth - 1);
    }
    SubdividePolygon(&midpoints, tension, depth - 1);
}
