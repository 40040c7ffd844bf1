#include "formats/byte_writer.h"
#include "formats/md2.h"

std::vector<uint8_t> WriteMd2(const Md2File& file, const std::vector<std::string>& skinNames)
{
    const Md2Header& h = file.header;
    int32_t skins = static_cast<int32_t>(skinNames.size()), st = static_cast<int32_t>(file.texCoords.size());
    int32_t triangles = static_cast<int32_t>(file.triangles.size());
    int32_t frameSize = static_cast<int32_t>(Md2FrameSize(h));
    int32_t frames = static_cast<int32_t>(file.frames.size() / frameSize);
    int32_t commands = static_cast<int32_t>(file.glCommands.size());
    int32_t ofsSkins = kMd2HeaderSize, ofsSt = ofsSkins + kMd2SkinNameSize * skins;
    int32_t ofsTris = ofsSt + 4 * st, ofsFrames = ofsTris + 12 * triangles;
    int32_t ofsGlCmds = ofsFrames + frameSize * frames, ofsEnd = ofsGlCmds + 4 * commands;
    std::vector<uint8_t> out;
    out.reserve(static_cast<size_t>(ofsEnd));
    for (int32_t value : {kMd2Ident, kMd2Version, h.skinWidth, h.skinHeight, frameSize, skins, h.numXyz, st,
                          triangles, commands, frames, ofsSkins, ofsSt, ofsTris, ofsFrames, ofsGlCmds, ofsEnd})
        AppendInt32(out, value);
    for (const std::string& name : skinNames)
        AppendName(out, name, kMd2SkinNameSize);
    for (const Md2TexCoord& c : file.texCoords)
        AppendInt16(out, c.s), AppendInt16(out, c.t);
    for (const Md2Triangle& t : file.triangles) {
        for (int16_t v : t.vertexIndex)
            AppendInt16(out, v);
        for (int16_t v : t.texCoordIndex)
            AppendInt16(out, v);
    }
    out.insert(out.end(), file.frames.begin(), file.frames.end());
    for (int32_t command : file.glCommands)
        AppendInt32(out, command);
    return out;
}
