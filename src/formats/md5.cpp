#include "formats/md5.h"

#include <strings.h>

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "platform/names.h"

namespace {

// Words, quoted strings, and brackets and braces as words of their own;
// "//" comments skipped. Every fault ends the read with one report.
class Parser {
public:
    Parser(const std::string& text, const char* who, Reports& reports) : text_(text), who_(who), reports_(reports) {}

    bool Failed() const { return failed_; }

    void Fault(const char* format, ...) __attribute__((format(printf, 2, 3)))
    {
        if (failed_)
            return;
        failed_ = true;
        char text[1024];
        va_list args;
        va_start(args, format);
        vsnprintf(text, sizeof text, format, args);
        va_end(args);
        AddReport(reports_, "%s: line %d: %s", who_, line_, text);
    }

    std::string Next()
    {
        if (failed_)
            return std::string();
        while (at_ < text_.size()) {
            char c = text_[at_];
            if (c == '\n')
                ++line_, ++at_;
            else if (static_cast<unsigned char>(c) <= ' ')
                ++at_;
            else if (c == '/' && at_ + 1 < text_.size() && text_[at_ + 1] == '/')
                Comment();
            else
                break;
        }
        if (at_ >= text_.size())
            return std::string();
        char c = text_[at_];
        if (c == '(' || c == ')' || c == '{' || c == '}') {
            ++at_;
            return std::string(1, c);
        }
        std::string word;
        if (c == '"') {
            for (++at_; at_ < text_.size() && text_[at_] != '"' && text_[at_] != '\n'; ++at_)
                word += text_[at_];
            if (at_ >= text_.size() || text_[at_] != '"')
                Fault("a quoted name is not closed");
            ++at_;
            return word.empty() ? std::string("\"\"") : AsText(word);
        }
        while (at_ < text_.size() && static_cast<unsigned char>(text_[at_]) > ' ' && text_[at_] != '(' &&
               text_[at_] != ')' && text_[at_] != '{' && text_[at_] != '}')
            word += text_[at_++];
        word = AsText(word);
        return word;
    }

    void Expect(const char* wanted)
    {
        std::string word = Next();
        if (word != wanted)
            Fault("\"%s\" where \"%s\" was expected", word.empty() ? "the end of the file" : word.c_str(), wanted);
    }

    float Number()
    {
        std::string word = Next();
        char* end = nullptr;
        float value = strtof(word.c_str(), &end);
        if (word.empty() || *end != '\0' || !std::isfinite(value))
            Fault("\"%s\" is not a number", word.empty() ? "the end of the file" : word.c_str());
        return failed_ ? 0.0f : value;
    }

    // A whole number from low to high.
    int64_t Integer(int64_t low, int64_t high, const char* what)
    {
        std::string word = Next();
        char* end = nullptr;
        long long value = strtoll(word.c_str(), &end, 10);
        if (word.empty() || *end != '\0')
            Fault("%s \"%s\" is not a whole number", what, word.empty() ? "(the end of the file)" : word.c_str());
        else if (value < low || value > high)
            Fault("%s is %lld, outside %lld to %lld", what, value, static_cast<long long>(low),
                  static_cast<long long>(high));
        return failed_ ? low : value;
    }

    void Vector(float* out, int count)
    {
        Expect("(");
        for (int i = 0; i < count; ++i)
            out[i] = Number();
        Expect(")");
    }

    // "MD5Version 10", wherever among the header's lines it stands; the
    // cube engines read files that leave it out.
    void Version()
    {
        if (Integer(0, 1 << 30, "the version") != 10)
            Fault("the version is not 10");
    }

    // The name a "// meshes: NAME" comment gave since the last call: the
    // cube engines name a mesh by it.
    std::string TakeMeshName() { return AsText(std::move(meshName_)); }

    // A quoted name; an empty one ("") stays empty.
    std::string Name()
    {
        std::string word = Next();
        return word == "\"\"" ? std::string() : word;
    }

    // The rest of a line's value after a keyword the reader does not use.
    void SkipValue() { Next(); }

private:
    void Comment()
    {
        size_t end = text_.find('\n', at_);
        std::string comment = text_.substr(at_ + 2, (end == std::string::npos ? text_.size() : end) - at_ - 2);
        at_ = end == std::string::npos ? text_.size() : end;
        size_t start = comment.find_first_not_of(" \t");
        if (start != std::string::npos && comment.compare(start, 7, "meshes:") == 0) {
            size_t first = comment.find_first_not_of(" \t", start + 7);
            size_t last = comment.find_last_not_of(" \t\r");
            meshName_ = first == std::string::npos ? std::string() : comment.substr(first, last + 1 - first);
        }
    }

    std::string meshName_;
    const std::string& text_;
    const char* who_;
    Reports& reports_;
    size_t at_ = 0;
    int line_ = 1;
    bool failed_ = false;
};

constexpr int64_t kLargestCount = 1 << 24;

void ReadJoints(Parser& p, int64_t count, Md5MeshFile& out)
{
    p.Expect("{");
    for (int64_t j = 0; j < count && !p.Failed(); ++j) {
        Md5Joint joint;
        joint.name = p.Name();
        if (joint.name == "}")
            return p.Fault("the joints end after %lld of the %lld numJoints gives", static_cast<long long>(j),
                           static_cast<long long>(count));
        joint.parent = static_cast<int32_t>(p.Integer(-1, j - 1, "a joint's parent"));
        p.Vector(joint.position, 3);
        float xyz[3];
        p.Vector(xyz, 3);
        Md5Orientation(xyz, joint.orient);
        out.joints.push_back(joint);
    }
    p.Expect("}");
}

void ReadMesh(Parser& p, size_t joints, Md5MeshFile& out)
{
    Md5Mesh mesh;
    p.Expect("{");
    for (std::string word = p.Next(); !p.Failed() && word != "}"; word = p.Next()) {
        if (mesh.name.empty())
            mesh.name = p.TakeMeshName();
        if (word == "shader") {
            mesh.shader = p.Name();
        } else if (word == "numverts") {
            int64_t count = p.Integer(0, kLargestCount, "numverts");
            for (int64_t v = 0; v < count && !p.Failed(); ++v) {
                p.Expect("vert");
                p.Integer(v, v, "a vertex's number");
                Md5Vertex vertex;
                p.Vector(vertex.st, 2);
                vertex.firstWeight = static_cast<uint32_t>(p.Integer(0, kLargestCount, "a vertex's first weight"));
                vertex.weightCount = static_cast<uint32_t>(p.Integer(1, 64, "a vertex's weights"));
                mesh.vertices.push_back(vertex);
            }
        } else if (word == "numtris") {
            int64_t count = p.Integer(0, kLargestCount, "numtris");
            for (int64_t t = 0; t < count && !p.Failed(); ++t) {
                p.Expect("tri");
                p.Integer(t, t, "a triangle's number");
                for (int k = 0; k < 3; ++k)
                    mesh.triangles.push_back(static_cast<uint32_t>(
                        p.Integer(0, static_cast<int64_t>(mesh.vertices.size()) - 1, "a triangle's vertex")));
            }
        } else if (word == "numweights") {
            int64_t count = p.Integer(0, kLargestCount, "numweights");
            for (int64_t w = 0; w < count && !p.Failed(); ++w) {
                p.Expect("weight");
                p.Integer(w, w, "a weight's number");
                Md5Weight weight;
                weight.joint = static_cast<uint32_t>(p.Integer(0, static_cast<int64_t>(joints) - 1, "a weight's joint"));
                weight.bias = p.Number();
                if (!(weight.bias >= 0))
                    p.Fault("a weight's bias is negative");
                p.Vector(weight.position, 3);
                mesh.weights.push_back(weight);
            }
        } else {
            p.Fault("\"%s\" is no part of a mesh", word.c_str());
        }
    }
    for (const Md5Vertex& v : mesh.vertices)
        if (uint64_t(v.firstWeight) + v.weightCount > mesh.weights.size())
            p.Fault("a vertex's weights run past the mesh's %zu", mesh.weights.size());
    out.meshes.push_back(std::move(mesh));
}

}  // namespace

void Md5Orientation(const float xyz[3], float out[4])
{
    float t = 1.0f - xyz[0] * xyz[0] - xyz[1] * xyz[1] - xyz[2] * xyz[2];
    out[0] = xyz[0], out[1] = xyz[1], out[2] = xyz[2];
    out[3] = t < 0 ? 0.0f : -std::sqrt(t);
}

std::unique_ptr<Md5MeshFile> ReadMd5Mesh(const std::string& text, Reports& reports)
{
    Parser p(text, "ReadMd5Mesh", reports);
    auto file = std::make_unique<Md5MeshFile>();
    int64_t joints = -1;
    for (std::string word = p.Next(); !p.Failed() && !word.empty(); word = p.Next()) {
        if (word == "MD5Version")
            p.Version();
        else if (word == "commandline")
            p.SkipValue();
        else if (word == "numJoints")
            joints = p.Integer(0, kLargestCount, "numJoints");
        else if (word == "numMeshes")
            p.Integer(0, kLargestCount, "numMeshes");  // the meshes there are count, as the engines count them
        else if (word == "joints" && joints >= 0)
            ReadJoints(p, joints, *file);
        else if (word == "mesh")
            ReadMesh(p, file->joints.size(), *file);
        else
            p.Fault("\"%s\" is no part of an md5mesh", word.c_str());
    }
    if (!p.Failed() && (joints < 0 || static_cast<size_t>(joints) != file->joints.size()))
        p.Fault("numJoints says %lld joints and the file has %zu", static_cast<long long>(joints), file->joints.size());
    return p.Failed() ? nullptr : std::move(file);
}

std::unique_ptr<Md5AnimFile> ReadMd5Anim(const std::string& text, Reports& reports)
{
    Parser p(text, "ReadMd5Anim", reports);
    auto file = std::make_unique<Md5AnimFile>();
    int64_t frames = -1, joints = -1;
    for (std::string word = p.Next(); !p.Failed() && !word.empty(); word = p.Next()) {
        if (word == "MD5Version") {
            p.Version();
        } else if (word == "commandline") {
            p.SkipValue();
        } else if (word == "numFrames") {
            frames = p.Integer(0, kLargestCount, "numFrames");
        } else if (word == "numJoints") {
            joints = p.Integer(0, kLargestCount, "numJoints");
        } else if (word == "frameRate") {
            file->frameRate = static_cast<uint32_t>(p.Integer(1, 1000, "frameRate"));
        } else if (word == "numAnimatedComponents") {
            file->componentCount = static_cast<uint32_t>(p.Integer(0, kLargestCount, "numAnimatedComponents"));
        } else if (word == "hierarchy") {
            p.Expect("{");
            for (int64_t j = 0; j < joints && !p.Failed(); ++j) {
                Md5AnimJoint joint;
                joint.name = p.Name();
                joint.parent = static_cast<int32_t>(p.Integer(-1, j - 1, "a joint's parent"));
                joint.flags = static_cast<uint32_t>(p.Integer(0, 63, "a joint's flags"));
                joint.startIndex = static_cast<uint32_t>(p.Integer(0, kLargestCount, "a joint's first component"));
                int moved = 0;
                for (int c = 0; c < 6; ++c)
                    moved += (joint.flags >> c) & 1;
                if (joint.startIndex + moved > file->componentCount)
                    p.Fault("joint \"%s\"'s components run past the %u of a frame", joint.name.c_str(),
                            file->componentCount);
                file->hierarchy.push_back(joint);
            }
            p.Expect("}");
        } else if (word == "bounds") {
            // The engines work bounds out themselves: a block of any length is passed over.
            p.Expect("{");
            for (std::string inner = p.Next(); !p.Failed() && inner != "}"; inner = p.Next())
                if (inner.empty())
                    p.Fault("the file ends inside the bounds");
        } else if (word == "baseframe") {
            p.Expect("{");
            for (int64_t j = 0; j < joints && !p.Failed(); ++j) {
                float values[6];
                p.Vector(values, 3), p.Vector(values + 3, 3);
                file->baseFrame.insert(file->baseFrame.end(), values, values + 6);
            }
            p.Expect("}");
        } else if (word == "frame") {
            p.Integer(file->frameCount, file->frameCount, "a frame's number");
            p.Expect("{");
            for (uint32_t c = 0; c < file->componentCount && !p.Failed(); ++c)
                file->frames.push_back(p.Number());
            p.Expect("}");
            ++file->frameCount;
        } else {
            p.Fault("\"%s\" is no part of an md5anim", word.c_str());
        }
    }
    if (!p.Failed() && (joints < 0 || file->hierarchy.size() != static_cast<size_t>(joints) ||
                        file->baseFrame.size() != 6 * static_cast<size_t>(joints)))
        p.Fault("the hierarchy or base frame does not hold the numJoints joints");
    if (!p.Failed() && (frames < 0 || file->frameCount != static_cast<uint32_t>(frames)))
        p.Fault("numFrames says %lld frames and the file has %u", static_cast<long long>(frames), file->frameCount);
    return p.Failed() ? nullptr : std::move(file);
}
