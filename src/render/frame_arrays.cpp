#include "render/frame_arrays.h"

#include <GL/gl.h>

void DrawFrameGeometry(const FrameGeometry& geometry)
{
    const FrameLayout* layout = geometry.layout.get();
    if (!layout) {
        glInterleavedArrays(GL_T2F_N3F_V3F, 0, geometry.interleaved.data());
        if (!geometry.interleaved.empty())
            glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(geometry.interleaved.size() / 8));
    } else {
        glEnableClientState(GL_VERTEX_ARRAY);
        glVertexPointer(3, GL_FLOAT, 0, geometry.positions.data());
        if (geometry.sendNormals) {
            glEnableClientState(GL_NORMAL_ARRAY);
            glNormalPointer(GL_FLOAT, 0, geometry.normals.data());
        }
        if (geometry.sendTexCoords) {
            glEnableClientState(GL_TEXTURE_COORD_ARRAY);
            glTexCoordPointer(2, GL_FLOAT, 0, layout->texCoords.data());
        }
        if (!layout->indices.empty())
            glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(layout->indices.size()), GL_UNSIGNED_INT,
                           layout->indices.data());
    }
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
}
