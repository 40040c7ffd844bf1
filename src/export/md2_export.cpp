// Any model as a Quake 2 MD2: one mesh, GL commands in strips, frames in
// 255 steps of a box, skins as PCX in the game's palette and PNG.
#include <meshoptimizer.h>

#include <algorithm>
#include <cstring>
#include <map>

#include "export/byte_mesh.h"
#include "export/export_mesh.h"
#include "export/export_model.h"
#include "export/game_looks.h"
#include "export/palette_pictures.h"
#include "formats/md2.h"
#include "formats/pcx.h"
#include "platform/names.h"

namespace {

// yquake2's limits (MAX_VERTS, MAX_TRIANGLES, MAX_FRAMES, MAX_MD2SKINS);
// the format's shorts hold 32767 vertices.
constexpr uint32_t kMd2Vertices = 2048, kMd2Triangles = 4096, kMd2Frames = 512, kMd2Skins = 32;
constexpr uint32_t kMd2MostVertices = 32767;

// The triangles as strips, each a command of its vertices' s, t and frame vertex.
std::vector<int32_t> GlCommands(const ByteMesh& mesh)
{
    std::vector<uint32_t> strips(meshopt_stripifyBound(mesh.triangles.size()));
    strips.resize(meshopt_stripify(strips.data(), mesh.triangles.data(), mesh.triangles.size(),
                                   mesh.frameVertex.size(), ~0u));
    std::vector<int32_t> commands;
    for (size_t i = 0; i < strips.size();) {
        size_t end = i;
        while (end < strips.size() && strips[end] != ~0u)
            ++end;
        commands.push_back(static_cast<int32_t>(end - i));
        for (; i < end; ++i) {
            uint32_t v = strips[i];
            float st[2] = {static_cast<float>(mesh.s[v]) / mesh.skinWidth, static_cast<float>(mesh.t[v]) / mesh.skinHeight};
            int32_t words[2];
            memcpy(words, st, sizeof words);
            commands.insert(commands.end(), {words[0], words[1], static_cast<int32_t>(mesh.frameVertex[v])});
        }
        ++i;  // past the restart
    }
    commands.push_back(0);
    return commands;
}

Md2File MakeMd2(const ByteMesh& mesh, const ByteFrames& frames)
{
    Md2File file{};
    file.header.skinWidth = mesh.skinWidth, file.header.skinHeight = mesh.skinHeight;
    file.header.numXyz = static_cast<int32_t>(mesh.frameVertices);
    std::map<std::pair<int32_t, int32_t>, int16_t> stIndex;
    std::vector<int16_t> stOf(mesh.frameVertex.size());
    for (size_t v = 0; v < mesh.frameVertex.size(); ++v) {
        auto [found, added] = stIndex.emplace(std::make_pair(mesh.s[v], mesh.t[v]), file.texCoords.size());
        if (added)
            file.texCoords.push_back({static_cast<int16_t>(mesh.s[v]), static_cast<int16_t>(mesh.t[v])});
        stOf[v] = found->second;
    }
    for (size_t i = 0; i < mesh.triangles.size(); i += 3) {
        Md2Triangle& triangle = file.triangles.emplace_back();
        for (int k = 0; k < 3; ++k) {
            uint32_t v = mesh.triangles[i + k];
            triangle.vertexIndex[k] = static_cast<int16_t>(mesh.frameVertex[v]);
            triangle.texCoordIndex[k] = stOf[v];
        }
    }
    file.frames.reserve(frames.frames.size() * static_cast<size_t>(Md2FrameSize(file.header)));
    for (const ByteFrame& frame : frames.frames) {
        Md2FrameHeader header{};
        std::copy_n(frame.scale, 3, header.scale);
        std::copy_n(frame.translate, 3, header.translate);
        CopyText(header.name, sizeof header.name, frame.name);
        const uint8_t* bytes = reinterpret_cast<const uint8_t*>(&header);
        file.frames.insert(file.frames.end(), bytes, bytes + sizeof header);
        const uint8_t* vertices = reinterpret_cast<const uint8_t*>(frame.vertices.data());
        file.frames.insert(file.frames.end(), vertices, vertices + 4 * frame.vertices.size());
    }
    file.glCommands = GlCommands(mesh);
    return file;
}

void NoteLimits(const ByteMesh& mesh, size_t frames, std::vector<std::string>& notes)
{
    std::string past;
    auto over = [&](size_t count, size_t most, const char* what) {
        if (count > most)
            past += (past.empty() ? "" : ", ") + std::to_string(count) + " " + what + " (yquake2 takes " +
                    std::to_string(most) + ")";
    };
    over(mesh.frameVertices, kMd2Vertices, "vertices");
    over(mesh.triangles.size() / 3, kMd2Triangles, "triangles");
    over(frames, kMd2Frames, "frames");
    notes.push_back(past.empty() ? "within the limits of Quake 2, yquake2 and DarkPlaces"
                                 : "Quake 2 and yquake2 refuse it: " + past + "; DarkPlaces takes it");
}

}  // namespace

bool WriteMd2Model(const ModelObject& model, const ExportRequest& request, std::string& error)
{
    std::vector<std::string> notes;
    std::vector<GameFrame> frames;
    if (!MakeGameFrames(model, request, frames, error))
        return false;
    ByteMesh mesh;
    MakeByteMesh(model, {1, 480, true, true}, mesh, notes);
    if (mesh.frameVertices > kMd2MostVertices) {
        error = "the model has " + std::to_string(mesh.frameVertices) + " vertices; MD2 holds " +
                std::to_string(kMd2MostVertices);
        return false;
    }
    if (model.numSkins == 0)
        mesh.skins.clear();  // a model of no skin, as Quake 2 takes it
    if (mesh.skins.size() > kMd2Skins) {
        notes.push_back(std::to_string(mesh.skins.size()) + " skin sets, the first 32 kept, as Quake 2 takes");
        mesh.skins.resize(kMd2Skins);
    }
    ByteFrames byteFrames = MakeByteFrames(model, mesh, frames, GameScale(request), request.perFrameBounds);
    uint8_t palette[768];
    std::string noPalette;
    bool paletted = ExportPalette(model, request, QuakeGame::kQuake2, palette, noPalette);
    if (!paletted && !request.palette.empty()) {
        error = noPalette;
        return false;
    }
    std::string folder = FolderOf(request.output), stem = StemOf(request.output);
    std::string gameFolder = GameFolder(folder, "", notes);
    std::vector<std::string> skinNames;
    OutputFiles files;
    for (ByteSkin& skin : mesh.skins) {
        std::string name = stem + (mesh.skins.size() > 1 ? "_" + skin.name : "");
        skinNames.push_back(gameFolder + name + ".pcx");
        std::string png;
        if (!SkinPng(skin.Picture(), png)) {
            error = "skin " + skin.name + " cannot be made a PNG";
            return false;
        }
        files.push_back({folder + name + ".png", std::move(png)});
        if (paletted) {
            size_t glowing = 0;
            if (!SkinPixels(skin)) {
                error = "skin " + skin.name + " cannot be decoded";
                return false;
            }
            ByteSkin fitted = FitSkin(skin, mesh.skinWidth, mesh.skinHeight);
            PcxImage pcx{fitted.picture.width, fitted.picture.height,
                         ToPalette(fitted.picture, fitted.glows, palette, Quake2PaletteRules(), glowing),
                         std::vector<uint8_t>(palette, palette + 768)};
            std::vector<uint8_t> bytes = WritePcx(pcx);
            files.push_back({folder + name + ".pcx", std::string(bytes.begin(), bytes.end())});
        }
    }
    if (!paletted)
        notes.push_back("skins written as PNG alone: " + noPalette);
    std::vector<uint8_t> bytes = WriteMd2(MakeMd2(mesh, byteFrames), skinNames);
    if (!WriteGameFiles({{request.output, &bytes}}, files, error))
        return false;
    char kept[96];
    snprintf(kept, sizeof kept, "positions kept in 255 steps of %s: at most %.4f units off",
             request.perFrameBounds ? "each frame's box" : "the box of every frame", byteFrames.largestError);
    notes.push_back(kept);
    NoteLimits(mesh, frames.size(), notes);
    if (request.summary)
        request.summary->notes = notes, request.summary->frames = static_cast<int>(frames.size());
    return true;
}
