#include <algorithm>

#include "formats/byte_writer.h"
#include "formats/mdl.h"

std::vector<uint8_t> WriteMdl(const MdlFile& file, const std::vector<std::vector<uint8_t>>& skins)
{
    const MdlHeader& h = file.header;
    size_t frameSize = static_cast<size_t>(MdlFrameSize(h));
    int32_t frames = static_cast<int32_t>(frameSize ? file.frames.size() / frameSize : 0);
    std::vector<uint8_t> out;
    size_t skinBytes = static_cast<size_t>(h.skinWidth) * static_cast<size_t>(h.skinHeight);
    out.reserve(kMdlHeaderSize + skins.size() * (4 + skinBytes) + 12 * file.texCoords.size() +
                16 * file.triangles.size() + file.frames.size() + 4 * static_cast<size_t>(frames));
    AppendInt32(out, kMdlIdent);
    AppendInt32(out, kMdlVersion);
    AppendFloats(out, h.scale, 3);
    AppendFloats(out, h.translate, 3);
    AppendFloat(out, h.boundingRadius);
    AppendFloats(out, h.eyePosition, 3);
    for (int32_t value : {static_cast<int32_t>(skins.size()), h.skinWidth, h.skinHeight, h.numVerts,
                          static_cast<int32_t>(file.triangles.size()), frames, h.syncType, h.flags})
        AppendInt32(out, value);
    AppendFloat(out, h.size);
    for (const std::vector<uint8_t>& skin : skins) {
        AppendInt32(out, 0);  // a single skin
        size_t kept = std::min(skinBytes, skin.size());
        out.insert(out.end(), skin.begin(), skin.begin() + kept);
        out.resize(out.size() + (skinBytes - kept), 0);
    }
    for (const MdlTexCoord& c : file.texCoords)
        AppendInt32(out, c.onSeam), AppendInt32(out, c.s), AppendInt32(out, c.t);
    for (const MdlTriangle& t : file.triangles) {
        AppendInt32(out, t.facesFront);
        for (int32_t v : t.vertexIndex)
            AppendInt32(out, v);
    }
    for (int32_t f = 0; f < frames; ++f) {
        AppendInt32(out, 0);  // a single frame
        out.insert(out.end(), file.frames.begin() + f * frameSize, file.frames.begin() + (f + 1) * frameSize);
    }
    return out;
}
