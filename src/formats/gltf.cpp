#include "formats/gltf.h"

#include <cstring>

#include "formats/gltf_checks.h"
#include "platform/names.h"
#include "platform/paths.h"

namespace {

uint32_t Word(const std::vector<uint8_t>& bytes, size_t at)
{
    return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
           uint32_t(bytes[at + 3]) << 24;
}

// A GLB's container: its length and chunks inside the file, its JSON no
// larger than the limit. The JSON text's place is given.
bool CheckGlb(const std::vector<uint8_t>& bytes, size_t& jsonAt, size_t& jsonSize, Reports& reports)
{
    if (bytes.size() < 20) {
        AddReport(reports, "ReadGltf: the file is shorter than a GLB header");
        return false;
    }
    uint64_t length = Word(bytes, 8), chunk = Word(bytes, 12);
    if (Word(bytes, 4) != 2) {
        AddReport(reports, "ReadGltf: the GLB is of version %u, not 2", Word(bytes, 4));
        return false;
    }
    if (length > bytes.size() || 20 + chunk > length || Word(bytes, 16) != 0x4E4F534A) {
        AddReport(reports, "ReadGltf: the GLB's length (%llu) or its JSON chunk (%llu bytes) runs past the %zu bytes "
                  "of the file", static_cast<unsigned long long>(length), static_cast<unsigned long long>(chunk),
                  bytes.size());
        return false;
    }
    uint64_t next = 20 + chunk;
    if (next + 8 <= length && next + 8 + Word(bytes, next) > length) {
        AddReport(reports, "ReadGltf: the GLB's binary chunk (%u bytes) runs past the file's %llu", Word(bytes, next),
                  static_cast<unsigned long long>(length));
        return false;
    }
    jsonAt = 20, jsonSize = chunk;
    return true;
}

// JSON no larger and no deeper than the limits: the parser would follow it anywhere.
bool CheckJson(const std::vector<uint8_t>& bytes, size_t at, size_t size, Reports& reports)
{
    if (size > kMaxGltfJson) {
        AddReport(reports, "ReadGltf: its JSON is %zu bytes, more than the %zu taken", size, kMaxGltfJson);
        return false;
    }
    int depth = 0;
    bool quoted = false;
    for (size_t i = at; i < at + size; ++i) {
        char c = static_cast<char>(bytes[i]);
        if (quoted) {
            i += c == '\\';
            quoted = c != '"';
        } else if (c == '"') {
            quoted = true;
        } else if ((c == '{' || c == '[') && ++depth > kMaxGltfDepth) {
            AddReport(reports, "ReadGltf: its JSON nests deeper than %d", kMaxGltfDepth);
            return false;
        } else if (c == '}' || c == ']') {
            --depth;
        }
    }
    return true;
}

// What tinygltf is given to read files with: none but the model's neighbours.
struct Files {
    const ReadBesideFunction* beside;
    std::string refused;  // the first URI refused, and why
};

std::string Relative(std::string path)
{
    while (path.compare(0, 2, "./") == 0)
        path.erase(0, 2);
    return path;
}

bool Exists(const std::string& path, void* user)
{
    auto* files = static_cast<Files*>(user);
    std::string why;
    if (NameStaysBeside(Relative(path), why))
        return true;
    if (files->refused.empty())
        files->refused = "\"" + AsText(Relative(path)) + "\" " + why;
    return false;
}

std::string AsIs(const std::string& path, void*)
{
    return path;  // no expansion of any kind
}

bool ReadFile(std::vector<unsigned char>* out, std::string* error, const std::string& path, void* user)
{
    auto* files = static_cast<Files*>(user);
    std::string why;
    if (!NameStaysBeside(Relative(path), why)) {
        *error = why;
        return false;
    }
    std::vector<uint8_t> bytes;
    if (!(*files->beside)(Relative(path), bytes, *error))
        return false;
    out->assign(bytes.begin(), bytes.end());
    return true;
}

bool NoWrite(std::string* error, const std::string&, const std::vector<unsigned char>&, void*)
{
    *error = "the reader writes nothing";
    return false;
}

// Images stay their files' bytes: our own decoders read them, with their limits.
bool KeepImage(tinygltf::Image* image, const int, std::string*, std::string*, int, int, const unsigned char* bytes,
               int size, void*)
{
    image->image.assign(bytes, bytes + size);
    image->width = image->height = image->component = 0;
    return true;
}

}  // namespace

std::unique_ptr<GltfFile> ReadGltf(const std::vector<uint8_t>& bytes, const ReadBesideFunction& beside,
                                   Reports& reports)
{
    bool binary = bytes.size() >= 4 && memcmp(bytes.data(), "glTF", 4) == 0;
    size_t jsonAt = 0, jsonSize = bytes.size();
    if ((binary && !CheckGlb(bytes, jsonAt, jsonSize, reports)) || !CheckJson(bytes, jsonAt, jsonSize, reports))
        return nullptr;
    auto file = std::make_unique<GltfFile>();
    Files files{&beside, ""};
    tinygltf::TinyGLTF loader;
    loader.SetFsCallbacks({Exists, AsIs, ReadFile, NoWrite, &files});
    loader.SetImageLoader(KeepImage, nullptr);
    std::string error, warning;
    bool read = binary ? loader.LoadBinaryFromMemory(&file->gltf, &error, &warning, bytes.data(),
                                                     static_cast<unsigned int>(bytes.size()), "")
                       : loader.LoadASCIIFromString(&file->gltf, &error, &warning,
                                                    reinterpret_cast<const char*>(bytes.data()),
                                                    static_cast<unsigned int>(bytes.size()), "");
    if (!files.refused.empty()) {
        AddReport(reports, "ReadGltf: the URI %s; it is not read", files.refused.c_str());
        return nullptr;
    }
    if (!read) {
        std::string first = error.substr(0, error.find('\n'));
        AddReport(reports, "ReadGltf: %s", AsText(first.empty() ? "the file cannot be read" : first).c_str());
        return nullptr;
    }
    if (!CheckGltf(file->gltf, reports))
        return nullptr;
    return file;
}
