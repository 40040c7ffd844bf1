// One frame as Wavefront OBJ, with its material (.mtl) and skin (.png) beside it.
#include <algorithm>
#include <cctype>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "export/export_mesh.h"
#include "export/export_model.h"
#include "formats/png_writer.h"
#include "platform/atomic_file.h"
#include "platform/paths.h"

namespace {

// The frame asked for by number or name; -1 when the model has none such.
int FindFrame(const ModelObject& model, const std::string& wanted)
{
    if (wanted.empty())
        return 0;
    if (std::all_of(wanted.begin(), wanted.end(), [](char c) { return isdigit(static_cast<unsigned char>(c)); }))
        return wanted.size() < 10 && atoi(wanted.c_str()) < model.numFrames ? atoi(wanted.c_str()) : -1;
    for (int frame = 0; frame < model.numFrames; ++frame)
        if (FrameNameOf(model, frame) == wanted)
            return frame;
    return -1;
}

void Line(std::string& out, const char* format, double a, double b, double c)
{
    char line[128];
    snprintf(line, sizeof line, format, a, b, c);
    out += line;
}

}  // namespace

bool WriteObj(const ModelObject& model, const ExportRequest& request, std::string& error)
{
    int frame = FindFrame(model, request.frame);
    if (frame < 0) {
        error = "the model has no frame " + request.frame;
        return false;
    }
    ExportMesh mesh;
    if (!MakeExportMesh(model, frame, frame, request.scale, mesh, error))
        return false;
    std::string stem = request.output.substr(0, request.output.size() - 4);
    std::string name = FileNameOf(stem);
    int skin = request.skin >= 0 ? request.skin : 0;
    bool skinned = skin < static_cast<int>(model.skinPictures.size()) && skin < model.numSkins;

    std::vector<float> positions, normals;
    ExportFrame(model, mesh, frame, positions, normals);
    const std::vector<float>& st = mesh.layout->texCoords;
    std::string obj = "# " + FileNameOf(model.path) + ", frame " + FrameNameOf(model, frame) + "\n";
    obj += "mtllib " + name + ".mtl\n";
    for (size_t i = 0; i < positions.size(); i += 3)
        Line(obj, "v %.6g %.6g %.6g\n", positions[i], positions[i + 1], positions[i + 2]);
    for (size_t i = 0; i < st.size(); i += 2)
        Line(obj, "vt %.6g %.6g\n", st[i], 1.0 - st[i + 1], 0);  // OBJ's t runs up the image
    for (size_t i = 0; i < normals.size(); i += 3)
        Line(obj, "vn %.6g %.6g %.6g\n", normals[i], normals[i + 1], normals[i + 2]);
    obj += "usemtl skin\n";
    for (size_t i = 0; i + 2 < mesh.indices.size(); i += 3) {
        char face[96];
        uint32_t a = mesh.indices[i] + 1, b = mesh.indices[i + 1] + 1, c = mesh.indices[i + 2] + 1;
        snprintf(face, sizeof face, "f %" PRIu32 "/%" PRIu32 "/%" PRIu32 " %" PRIu32 "/%" PRIu32 "/%" PRIu32
                 " %" PRIu32 "/%" PRIu32 "/%" PRIu32 "\n", a, a, a, b, b, b, c, c, c);
        obj += face;
    }
    std::string mtl = "newmtl skin\nKa 0 0 0\nKd 1 1 1\nKs 0 0 0\nillum 1\n";
    std::vector<std::pair<std::string, std::string>> files = {{request.output, obj}};
    if (skinned) {
        std::string png;
        if (!SkinPng(model.skinPictures[skin], png)) {
            error = "the skin cannot be made a PNG";
            return false;
        }
        mtl += "map_Kd " + name + ".png\n";
        files.push_back({stem + ".png", png});
    }
    files.push_back({stem + ".mtl", mtl});
    return WriteFilesAtomically(files, error);
}
