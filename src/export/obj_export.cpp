// One frame as Wavefront OBJ, with its material (.mtl) and skin (.png) beside it.
#include <algorithm>
#include <cctype>
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
    std::vector<std::pair<std::string, std::string>> files = {{request.output, ""}};
    std::string obj, mtl;  // into files once the skins are in: a reference into it would not survive them
    obj = "# " + FileNameOf(model.path) + ", frame " + FrameNameOf(model, frame) + "\n";
    obj += "mtllib " + name + ".mtl\n";
    // Each part its vertices, texture coordinates and normals, then its faces
    // with its material; OBJ counts vertices across the file from 1.
    std::vector<int> written;  // the pictures given a material so far
    size_t base = 1;
    for (size_t part = 0; part < mesh.parts.size(); ++part) {
        const ExportPart& exported = mesh.parts[part];
        std::vector<float> positions, normals;
        ExportFrame(model, mesh, static_cast<int>(part), frame, positions, normals);
        const std::vector<float>& st = exported.layout->texCoords;
        for (size_t i = 0; i < positions.size(); i += 3)
            Line(obj, "v %.6g %.6g %.6g\n", positions[i], positions[i + 1], positions[i + 2]);
        for (size_t i = 0; i < st.size(); i += 2)
            Line(obj, "vt %.6g %.6g\n", st[i], 1.0 - st[i + 1], 0);  // OBJ's t runs up the image
        for (size_t i = 0; i < normals.size(); i += 3)
            Line(obj, "vn %.6g %.6g %.6g\n", normals[i], normals[i + 1], normals[i + 2]);
        int picture = PartPicture(model, skin, exported.part);
        std::string material = picture >= 0 ? "skin" + (picture > 0 ? std::to_string(picture) : "") : "plain";
        obj += "usemtl " + material + "\n";
        for (size_t i = 0; i + 2 < exported.indices.size(); i += 3) {
            char face[128];
            size_t a = exported.indices[i] + base, b = exported.indices[i + 1] + base, c = exported.indices[i + 2] + base;
            snprintf(face, sizeof face, "f %zu/%zu/%zu %zu/%zu/%zu %zu/%zu/%zu\n", a, a, a, b, b, b, c, c, c);
            obj += face;
        }
        base += positions.size() / 3;
        if (std::find(written.begin(), written.end(), picture) != written.end())
            continue;
        written.push_back(picture);
        mtl += "newmtl " + material + "\nKa 0 0 0\nKd 1 1 1\nKs 0 0 0\nillum 1\n";
        if (picture < 0)
            continue;
        std::string png, file = name + (picture > 0 ? "_" + std::to_string(picture) : "") + ".png";
        if (!SkinPng(model.skinPictures[picture], png)) {
            error = "the skin cannot be made a PNG";
            return false;
        }
        mtl += "map_Kd " + file + "\n";
        files.push_back({DirectoryOf(request.output) + file, png});
    }
    files[0].second = std::move(obj);
    files.push_back({stem + ".mtl", mtl});
    return WriteFilesAtomically(files, error);
}
