#include "formats/md2.h"

#include <cstdlib>
#include <cstring>

#include "formats/byte_reader.h"
#include "platform/names.h"

namespace {

bool CheckCounts(const Md2Header& h, Reports& reports)
{
    const struct {
        const char* name;
        int32_t value;
    } counts[] = {{"numSkins", h.numSkins}, {"numXyz", h.numXyz},       {"numSt", h.numSt},
                  {"numTris", h.numTris},   {"numGlCmds", h.numGlCmds}, {"numFrames", h.numFrames}};
    for (const auto& count : counts) {
        if (count.value < 0) {
            AddReport(reports, "InitMd2Object: the header has a negative count (%s = %d)", count.name,
                        count.value);
            return false;
        }
    }
    if (h.numFrames == 0) {
        AddReport(reports, "InitMd2Object: the file has no frames");
        return false;
    }
    if (h.skinWidth < 0 || h.skinHeight < 0) {
        AddReport(reports, "InitMd2Object: the header has a negative skin size (%d x %d)", h.skinWidth,
                    h.skinHeight);
        return false;
    }
    return true;
}

bool CheckBlock(size_t fileSize, const char* what, int32_t offset, int64_t count, int64_t itemSize,
                Reports& reports)
{
    if (BlockFits(fileSize, offset, count, itemSize))
        return true;
    AddReport(reports, "InitMd2Object: the %s (offset %d, %lld of %lld bytes) run past the end of the "
                "file (%zu bytes)",
                what, offset, static_cast<long long>(count), static_cast<long long>(itemSize),
                fileSize);
    return false;
}

bool ReadSkinNames(Md2File& file, std::vector<Md2SkinName>& skinNames, Reports& reports)
{
    const Md2Header& h = file.header;
    int toRead = h.numSkins > kMaxSkins ? kMaxSkins : h.numSkins;
    if (!CheckBlock(file.file.size(), "skin names", h.ofsSkins, toRead, kMd2SkinNameSize, reports))
        return false;
    ByteReader reader{file.file.data(), file.file.size(), 0};
    ReaderSeek(reader, h.ofsSkins);
    skinNames.resize(toRead);
    for (Md2SkinName& name : skinNames)
        ReadBytes(reader, name.text, kMd2SkinNameSize);
    if (h.numSkins > kMaxSkins)
        AddReport(reports, "Maximum number of skins reached: %d", kMaxSkins);
    return true;
}

bool ReadTexCoordsAndTriangles(Md2File& file, Reports& reports)
{
    const Md2Header& h = file.header;
    size_t size = file.file.size();
    if (!CheckBlock(size, "texture coordinates", h.ofsSt, h.numSt, 4, reports) ||
        !CheckBlock(size, "triangles", h.ofsTris, h.numTris, 12, reports))
        return false;
    ByteReader reader{file.file.data(), size, 0};
    file.texCoords.resize(h.numSt);
    ReaderSeek(reader, h.ofsSt);
    for (Md2TexCoord& st : file.texCoords) {
        ReadInt16(reader, &st.s);
        ReadInt16(reader, &st.t);
    }
    file.triangles.resize(h.numTris);
    ReaderSeek(reader, h.ofsTris);
    for (size_t t = 0; t < file.triangles.size(); ++t) {
        Md2Triangle& tri = file.triangles[t];
        for (int16_t& index : tri.vertexIndex)
            ReadInt16(reader, &index);
        for (int16_t& index : tri.texCoordIndex)
            ReadInt16(reader, &index);
        for (int k = 0; k < 3; ++k) {
            if (tri.vertexIndex[k] < 0 || tri.vertexIndex[k] >= h.numXyz) {
                AddReport(reports, "InitMd2Object: triangle %zu uses vertex index %d but a frame has %d "
                            "vertices",
                            t, tri.vertexIndex[k], h.numXyz);
                return false;
            }
            if (tri.texCoordIndex[k] < 0 || tri.texCoordIndex[k] >= h.numSt) {
                AddReport(reports, "InitMd2Object: triangle %zu uses texture coordinate index %d but the "
                            "file has %d texture coordinates",
                            t, tri.texCoordIndex[k], h.numSt);
                return false;
            }
        }
    }
    return true;
}

bool ReadFrames(Md2File& file, std::unique_ptr<FrameName[]>& frameNames, Reports& reports)
{
    const Md2Header& h = file.header;
    int64_t frameSize = Md2FrameSize(h);
    size_t size = file.file.size();
    if (!BlockFits(size, h.ofsFrames, h.numFrames, frameSize)) {
        int64_t whole = 0;
        if (h.ofsFrames >= 0 && static_cast<uint64_t>(h.ofsFrames) <= size)
            whole = static_cast<int64_t>(size - h.ofsFrames) / frameSize;
        AddReport(reports, "InitMd2Object: Unable to read frame %lld", static_cast<long long>(whole));
        return false;
    }
    file.frames.assign(file.file.begin() + h.ofsFrames,
                       file.file.begin() + h.ofsFrames + h.numFrames * frameSize);
    frameNames = std::make_unique<FrameName[]>(h.numFrames);
    for (int32_t i = 0; i < h.numFrames; ++i) {
        uint8_t* frame = file.frames.data() + i * frameSize;
        EndianSwapVec3(frame);
        EndianSwapVec3(frame + 12);
        CopyText(frameNames[i].text, sizeof frameNames[i].text,
                 TextName(reinterpret_cast<const char*>(frame + 24), kFrameNameCharacters));
    }
    return true;
}

// Walks the GL-command packets once; any fault drops the whole block.
const char* CheckGlCommands(const std::vector<int32_t>& words, int32_t numXyz, size_t* faultWord)
{
    size_t i = 0;
    while (i < words.size()) {
        int64_t n = words[i];
        *faultWord = i++;
        if (n == 0)
            return nullptr;
        uint64_t vertices = static_cast<uint64_t>(n < 0 ? -n : n);
        if (vertices > (words.size() - i) / 3)
            return "a packet runs past the end of the block";
        for (uint64_t v = 0; v < vertices; ++v, i += 3) {
            if (words[i + 2] < 0 || words[i + 2] >= numXyz) {
                *faultWord = i + 2;
                return "a vertex index is out of range";
            }
        }
    }
    *faultWord = words.size();
    return "the block has no end word";
}

bool ReadGlCommands(Md2File& file, Reports& reports)
{
    const Md2Header& h = file.header;
    if (!CheckBlock(file.file.size(), "GL commands", h.ofsGlCmds, h.numGlCmds, 4, reports))
        return false;
    ByteReader reader{file.file.data(), file.file.size(), 0};
    ReaderSeek(reader, h.ofsGlCmds);
    file.glCommands.resize(h.numGlCmds);
    for (int32_t& word : file.glCommands)
        ReadInt32(reader, &word);
    size_t faultWord = 0;
    if (file.glCommands.empty() || file.glCommands[0] == 0) {
        file.glCommands.clear();  // none, or no packet: drawn from the triangles
        return true;
    }
    if (const char* fault = CheckGlCommands(file.glCommands, h.numXyz, &faultWord)) {
        AddReport(reports, "InitMd2Object: GL commands dropped, the model is drawn from its triangles: "
                    "%s (word %zu)",
                    fault, faultWord);
        file.glCommands.clear();
    }
    return true;
}

}  // namespace

Md2FrameHeader Md2FrameHeaderAt(const Md2File& file, int frame)
{
    Md2FrameHeader header;
    memcpy(&header, file.frames.data() + frame * Md2FrameSize(file.header), sizeof header);
    return header;
}

const PackedVertex* Md2FrameVertices(const Md2File& file, int frame)
{
    return reinterpret_cast<const PackedVertex*>(file.frames.data() +
                                                 frame * Md2FrameSize(file.header) + 40);
}

std::unique_ptr<Md2File> OpenMd2Bytes(std::vector<uint8_t> bytes, Reports& reports)
{
    auto record = std::make_unique<Md2File>();
    record->file = std::move(bytes);
    ByteReader reader{record->file.data(), record->file.size(), 0};
    if (!ReadBytes(reader, &record->header, sizeof record->header)) {
        AddReport(reports, "OpenMd2File: Couldn't read in the md2 header");
        return nullptr;
    }
    int32_t* fields = &record->header.version;
    for (int i = 0; i < 16; ++i)
        EndianSwap32(fields + i);
    int32_t ident = record->header.ident;
    EndianSwap32(&ident);
    if (ident != kMd2Ident) {
        AddReport(reports, "OpenMd2File: file is not a md2 file because tag is: %X",
                    static_cast<unsigned>(ident));
        return nullptr;
    }
    record->header.ident = ident;
    if (record->header.version != kMd2Version) {
        AddReport(reports, "OpenMd2File: file is not correct version because version is: %d",
                    record->header.version);
        return nullptr;
    }
    return record;
}

bool ReadMd2Sections(Md2File& file, std::vector<Md2SkinName>& skinNames, std::unique_ptr<FrameName[]>& frameNames,
                     Reports& reports)
{
    return CheckCounts(file.header, reports) && ReadSkinNames(file, skinNames, reports) &&
           ReadTexCoordsAndTriangles(file, reports) && ReadFrames(file, frameNames, reports) &&
           ReadGlCommands(file, reports);
}
