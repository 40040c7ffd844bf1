// Any model as a Quake MDL: one mesh whose vertices each have one skin
// pixel (on the seam where a back face takes the skin's other half), the
// skins inside it in the Quake palette, frames in 255 steps of one box.
#include <strings.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>

#include "export/byte_mesh.h"
#include "export/export_model.h"
#include "export/game_looks.h"
#include "export/palette_pictures.h"
#include "formats/mdl.h"
#include "platform/names.h"

namespace {

// Quakespasm's MAXALIASVERTS, MAXALIASTRIS, MAXALIASFRAMES; Ironwail's vertices.
constexpr size_t kQuakespasmVertices = 2000, kQuakespasmTriangles = 4096, kQuakespasmFrames = 1024;
constexpr size_t kIronwailVertices = 32767;
constexpr int32_t kOnSeam = 0x20;

// The mesh's vertices as MDL keeps them: a frame vertex worn at s and at
// s + half the width (the back of a seam) becomes one vertex on the seam,
// when every triangle of either is wholly front or back.
class Seams {
public:
    explicit Seams(const ByteMesh& mesh) : mesh_(mesh) {}

    void Make()
    {
        FindPairs();
        while (DropConflicts()) {
        }
        Number();
    }

    std::vector<MdlTexCoord> texCoords;
    std::vector<uint32_t> frameVertex;  // by MDL vertex
    std::vector<MdlTriangle> triangles;
    size_t merged = 0;

private:
    void FindPairs()
    {
        std::map<uint32_t, std::vector<uint32_t>> byFrameVertex;
        for (uint32_t v = 0; v < mesh_.frameVertex.size(); ++v)
            byFrameVertex[mesh_.frameVertex[v]].push_back(v);
        back_.assign(mesh_.frameVertex.size(), -1);
        front_.assign(mesh_.frameVertex.size(), -1);
        int32_t half = mesh_.skinWidth / 2;
        for (const auto& [frameVertex, vertices] : byFrameVertex) {
            if (vertices.size() != 2)
                continue;
            uint32_t a = vertices[0], b = vertices[1];
            if (mesh_.s[a] > mesh_.s[b])
                std::swap(a, b);
            if (mesh_.t[a] == mesh_.t[b] && mesh_.s[b] - mesh_.s[a] == half && half > 0)
                back_[a] = static_cast<int32_t>(b), front_[b] = static_cast<int32_t>(a);
        }
    }

    // A triangle with the front of one pair and the back of another cannot
    // be either: its pairs stay two vertices. True when any was dropped.
    bool DropConflicts()
    {
        bool dropped = false;
        for (size_t i = 0; i < mesh_.triangles.size(); i += 3) {
            bool front = false, back = false;
            for (int k = 0; k < 3; ++k) {
                uint32_t v = mesh_.triangles[i + k];
                front |= back_[v] >= 0, back |= front_[v] >= 0;
            }
            if (!(front && back))
                continue;
            for (int k = 0; k < 3; ++k)
                Drop(mesh_.triangles[i + k]);
            dropped = true;
        }
        return dropped;
    }

    void Drop(uint32_t v)
    {
        int32_t other = back_[v] >= 0 ? back_[v] : front_[v];
        if (other >= 0)
            back_[v] = front_[v] = back_[other] = front_[other] = -1;
    }

    void Number()
    {
        std::vector<int32_t> index(mesh_.frameVertex.size(), -1);
        for (uint32_t v = 0; v < mesh_.frameVertex.size(); ++v) {
            if (front_[v] >= 0)
                continue;  // the back of a seam: its pair's vertex
            index[v] = static_cast<int32_t>(frameVertex.size());
            frameVertex.push_back(mesh_.frameVertex[v]);
            texCoords.push_back({back_[v] >= 0 ? kOnSeam : 0, mesh_.s[v], mesh_.t[v]});
            merged += back_[v] >= 0;
        }
        for (size_t i = 0; i < mesh_.triangles.size(); i += 3) {
            MdlTriangle& triangle = triangles.emplace_back();
            triangle.facesFront = 1;
            for (int k = 0; k < 3; ++k) {
                uint32_t v = mesh_.triangles[i + k];
                if (front_[v] >= 0)
                    triangle.facesFront = 0, v = static_cast<uint32_t>(front_[v]);
                triangle.vertexIndex[k] = index[v];
            }
        }
    }

    const ByteMesh& mesh_;
    std::vector<int32_t> back_, front_;  // by mesh vertex: its pair on the seam's other side, -1 for none
};

float MeanArea(const Seams& seams, const ByteFrame& frame)
{
    double total = 0;
    for (const MdlTriangle& triangle : seams.triangles) {
        float p[3][3];
        for (int k = 0; k < 3; ++k) {
            const PackedVertex& v = frame.vertices[seams.frameVertex[triangle.vertexIndex[k]]];
            const uint8_t steps[3] = {v.x, v.y, v.z};
            for (int a = 0; a < 3; ++a)
                p[k][a] = frame.translate[a] + steps[a] * frame.scale[a];
        }
        float u[3], w[3];
        for (int a = 0; a < 3; ++a)
            u[a] = p[1][a] - p[0][a], w[a] = p[2][a] - p[0][a];
        double c[3] = {u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2], u[0] * w[1] - u[1] * w[0]};
        total += 0.5 * std::sqrt(c[0] * c[0] + c[1] * c[1] + c[2] * c[2]);
    }
    return seams.triangles.empty() ? 0.0f : static_cast<float>(total / seams.triangles.size());
}

MdlFile MakeMdl(const Seams& seams, const ByteMesh& mesh, const ByteFrames& frames, int32_t flags)
{
    MdlFile file{};
    MdlHeader& h = file.header;
    std::copy_n(frames.frames[0].scale, 3, h.scale);
    std::copy_n(frames.frames[0].translate, 3, h.translate);
    h.boundingRadius = frames.radius;
    h.skinWidth = mesh.skinWidth, h.skinHeight = mesh.skinHeight;
    h.numVerts = static_cast<int32_t>(seams.frameVertex.size());
    h.flags = flags;
    h.size = MeanArea(seams, frames.frames[0]);
    file.texCoords = seams.texCoords;
    file.triangles = seams.triangles;
    file.frames.reserve(frames.frames.size() * (24 + 4 * seams.frameVertex.size()));
    for (const ByteFrame& frame : frames.frames) {
        char name[16] = {};
        CopyText(name, sizeof name, frame.name);
        const PackedVertex box[2] = {frame.low, frame.high};
        const uint8_t* bytes = reinterpret_cast<const uint8_t*>(box);
        file.frames.insert(file.frames.end(), bytes, bytes + sizeof box);
        file.frames.insert(file.frames.end(), name, name + sizeof name);
        for (uint32_t frameVertex : seams.frameVertex) {
            const uint8_t* v = reinterpret_cast<const uint8_t*>(&frame.vertices[frameVertex]);
            file.frames.insert(file.frames.end(), v, v + 4);
        }
    }
    file.frameCount = static_cast<int32_t>(frames.frames.size());
    return file;
}

void NoteLimits(size_t vertices, size_t triangles, size_t frames, std::vector<std::string>& notes)
{
    std::string past;
    auto over = [&](size_t count, size_t most, const char* what) {
        if (count > most)
            past += (past.empty() ? "" : ", ") + std::to_string(count) + " " + what + " (it takes " +
                    std::to_string(most) + ")";
    };
    over(vertices, kQuakespasmVertices, "vertices");
    over(triangles, kQuakespasmTriangles, "triangles");
    over(frames, kQuakespasmFrames, "frames");
    if (past.empty())
        notes.push_back("within the limits of Quakespasm, Ironwail and DarkPlaces");
    else
        notes.push_back("Quakespasm refuses it: " + past + "; " +
                        (vertices > kIronwailVertices ? "Ironwail refuses past 32767 vertices"
                                                      : "Ironwail takes it") + "; DarkPlaces takes it");
}

}  // namespace

bool ParseMdlFlags(const std::string& text, int32_t& flags)
{
    const char* const names[] = {"rocket", "grenade", "gib", "rotate", "tracer", "zomgib", "tracer2", "tracer3"};
    char* end = nullptr;
    long number = strtol(text.c_str(), &end, 0);
    if (!text.empty() && *end == '\0')
        return number >= 0 && number <= 0xFFFFFF && (flags = static_cast<int32_t>(number), true);
    flags = 0;
    size_t start = 0;
    while (start <= text.size()) {
        size_t comma = std::min(text.find(',', start), text.size());
        std::string name = text.substr(start, comma - start);
        size_t bit = 0;
        while (bit < 8 && strcasecmp(name.c_str(), names[bit]) != 0)
            ++bit;
        if (bit == 8)
            return false;
        flags |= 1 << bit;
        start = comma + 1;
    }
    return true;
}

bool WriteMdlModel(const ModelObject& model, const ExportRequest& request, std::string& error)
{
    std::vector<std::string> notes;
    std::vector<GameFrame> frames;
    uint8_t palette[768];
    if (!MakeGameFrames(model, request, frames, error) ||
        !ExportPalette(model, request, QuakeGame::kQuake, palette, error))
        return false;
    if (frames.empty()) {
        error = "the model has no frames to write";
        return false;
    }
    ByteMesh mesh;
    MakeByteMesh(model, {4, 480, false, false}, mesh, notes);
    ByteFrames byteFrames = MakeByteFrames(model, mesh, frames, GameScale(request), false);
    Seams seams(mesh);
    seams.Make();
    std::vector<std::vector<uint8_t>> skins;
    size_t glowing = 0;
    for (ByteSkin& skin : mesh.skins) {
        size_t lit = 0;
        if (!SkinPixels(skin)) {
            error = "skin " + skin.name + " cannot be decoded";
            return false;
        }
        skins.push_back(ToPalette(skin.picture, skin.glows, palette, QuakePaletteRules(), lit));
        glowing += lit;
    }
    std::vector<uint8_t> bytes = WriteMdl(MakeMdl(seams, mesh, byteFrames, request.mdlFlags), skins);
    if (!WriteGameFiles({{request.output, &bytes}}, {}, error))
        return false;
    if (seams.merged)
        notes.push_back(std::to_string(seams.merged) + " vertices on the seam, their back faces on the skin's other half");
    if (mesh.frameVertex.size() - seams.merged > mesh.frameVertices)
        notes.push_back(std::to_string(mesh.frameVertex.size() - seams.merged - mesh.frameVertices) +
                        " vertices written twice, where texture coordinates part");
    notes.push_back(glowing ? std::to_string(glowing) + " skin pixels in the colours that glow in the dark (224-254)"
                            : "no skin pixel in the colours that glow in the dark (224-254)");
    char kept[96];
    snprintf(kept, sizeof kept, "positions kept in 255 steps of the box of every frame: at most %.4f units off",
             byteFrames.largestError);
    notes.push_back(kept);
    NoteLimits(seams.frameVertex.size(), seams.triangles.size(), frames.size(), notes);
    if (request.summary)
        request.summary->notes = notes, request.summary->frames = static_cast<int>(frames.size());
    return true;
}
