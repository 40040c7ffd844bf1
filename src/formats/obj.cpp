#include "formats/obj.h"

#include <cmath>
#include <cstdlib>
#include <map>
#include <sstream>

#include "platform/names.h"

namespace {

// The line's words after its keyword; a "\" at the end of a line joins the next.
std::vector<std::string> Words(const std::string& line)
{
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

bool Number(const std::string& word, float& out)
{
    char* end = nullptr;
    out = std::strtof(word.c_str(), &end);
    return end && *end == '\0' && std::isfinite(out);
}

// An index as written (1 the first, -1 the last) into one of count; false out of range.
bool Index(const std::string& word, size_t count, int32_t& out)
{
    char* end = nullptr;
    long long value = std::strtoll(word.c_str(), &end, 10);
    if (!end || *end != '\0' || value == 0)
        return false;
    long long index = value > 0 ? value - 1 : static_cast<long long>(count) + value;
    if (index < 0 || index >= static_cast<long long>(count))
        return false;
    out = static_cast<int32_t>(index);
    return true;
}

bool Corner(const std::string& word, const ObjFile& file, ObjCorner& corner)
{
    size_t first = word.find('/'), second = first == std::string::npos ? first : word.find('/', first + 1);
    std::string v = word.substr(0, first);
    std::string vt = first == std::string::npos ? "" : word.substr(first + 1, second - first - 1);
    std::string vn = second == std::string::npos ? "" : word.substr(second + 1);
    int32_t position = 0;
    corner.texCoord = corner.normal = -1;
    if (!Index(v, file.positions.size() / 3, position))
        return false;
    corner.position = static_cast<uint32_t>(position);
    return (vt.empty() || Index(vt, file.texCoords.size() / 2, corner.texCoord)) &&
           (vn.empty() || Index(vn, file.normals.size() / 3, corner.normal));
}

class Reader {
public:
    Reader(ObjFile& file, Reports& reports) : file_(file), reports_(reports) {}

    bool Line(const std::vector<std::string>& words, size_t number)
    {
        const std::string& key = words[0];
        if (key == "v" || key == "vn")
            return Floats(words, 3, key == "v" ? file_.positions : file_.normals, number);
        if (key == "vt")
            return Floats(words, 2, file_.texCoords, number);
        if (key == "f")
            return Face(words, number);
        if (key == "usemtl" && words.size() >= 2)
            group_ = GroupOf(AsText(words[1]));
        else if (key == "mtllib")
            for (size_t w = 1; w < words.size(); ++w)
                file_.libraries.push_back(AsText(words[w]));
        return true;  // o, g, s and what no engine needs are passed over
    }

private:
    bool Fault(size_t number, const char* what)
    {
        AddReport(reports_, "ReadObj: line %zu: %s", number, what);
        return false;
    }

    bool Floats(const std::vector<std::string>& words, size_t count, std::vector<float>& out, size_t number)
    {
        if (words.size() < count + 1)
            return Fault(number, "too few numbers");
        if (out.size() / count >= kMaxObjElements)
            return Fault(number, "more elements than are taken");
        for (size_t i = 1; i <= count; ++i) {
            float value;
            if (!Number(words[i], value))
                return Fault(number, "a number that is not one");
            out.push_back(value);
        }
        return true;
    }

    bool Face(const std::vector<std::string>& words, size_t number)
    {
        if (words.size() < 4)
            return Fault(number, "a face of fewer than three corners");
        std::vector<ObjCorner> corners(words.size() - 1);
        for (size_t i = 1; i < words.size(); ++i)
            if (!Corner(words[i], file_, corners[i - 1]))
                return Fault(number, "a corner naming a vertex, coordinate or normal not given before it");
        if (group_ < 0)
            group_ = GroupOf("");
        std::vector<ObjCorner>& out = file_.groups[group_].corners;
        if ((out.size() + 3 * corners.size()) / 3 > kMaxObjElements)
            return Fault(number, "more faces than are taken");
        for (size_t k = 2; k < corners.size(); ++k)
            out.insert(out.end(), {corners[0], corners[k - 1], corners[k]});
        return true;
    }

    int GroupOf(const std::string& material)
    {
        auto known = groups_.find(material);
        if (known != groups_.end())
            return known->second;
        file_.groups.push_back({material, {}});
        return groups_[material] = static_cast<int>(file_.groups.size() - 1);
    }

    ObjFile& file_;
    Reports& reports_;
    std::map<std::string, int> groups_;
    int group_ = -1;
};

// Each line's words with comments left out, continuations joined; false on
// more lines than are taken.
template <typename Each>
bool EachLine(const std::string& text, Reports& reports, const char* who, Each each)
{
    std::istringstream in(text);
    std::string line, joined;
    size_t number = 0;
    while (std::getline(in, line)) {
        if (++number > kMaxObjElements * 4) {
            AddReport(reports, "%s: more lines than are taken", who);
            return false;
        }
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty() && line.back() == '\\') {
            joined += line.substr(0, line.size() - 1) + " ";
            continue;
        }
        line = joined + line;
        joined.clear();
        line = line.substr(0, line.find('#'));
        std::vector<std::string> words = Words(line);
        if (!words.empty() && !each(words, number))
            return false;
    }
    return true;
}

}  // namespace

bool ReadObj(const std::string& text, ObjFile& file, Reports& reports)
{
    file = ObjFile();
    Reader reader(file, reports);
    if (!EachLine(text, reports, "ReadObj", [&](const std::vector<std::string>& words, size_t number) {
            return reader.Line(words, number);
        }))
        return false;
    if (file.groups.empty()) {
        AddReport(reports, "ReadObj: the file has no faces");
        return false;
    }
    return true;
}

bool ReadMtl(const std::string& text, std::vector<MtlMaterial>& materials, Reports& reports)
{
    materials.clear();
    return EachLine(text, reports, "ReadMtl", [&](const std::vector<std::string>& words, size_t) {
        const std::string& key = words[0];
        if (key == "newmtl") {
            materials.emplace_back();
            materials.back().name = words.size() > 1 ? AsText(words[1]) : "";
            return true;
        }
        if (materials.empty())
            return true;
        MtlMaterial& m = materials.back();
        float value = 0;
        if ((key == "Kd" || key == "Ke") && words.size() >= 4)
            for (int i = 0; i < 3; ++i)
                if (Number(words[1 + i], value))
                    (key == "Kd" ? m.diffuse : m.emissive)[i] = std::fmin(std::fmax(value, 0.0f), 1.0f);
        if ((key == "d" || key == "Tr") && words.size() >= 2 && Number(words.back(), value))
            m.alpha = std::fmin(std::fmax(key == "d" ? value : 1 - value, 0.0f), 1.0f);
        // A map's file is its last word: options (-bm 1, -s 1 1 1...) come before it.
        if ((key == "map_Kd" || key == "map_Ke") && words.size() >= 2)
            (key == "map_Kd" ? m.diffuseMap : m.emissiveMap) = AsText(words.back());
        return true;
    });
}
