#include "formats/skin_file.h"

#include <algorithm>
#include <cctype>

#include "platform/names.h"

namespace {

// Longer than any line the engines read (their paths hold 64 characters).
constexpr size_t kLongestLine = 1024;

std::string Trimmed(const std::string& text)
{
    size_t start = 0, end = text.size();
    while (start < end && isspace(static_cast<unsigned char>(text[start])))
        ++start;
    while (end > start && isspace(static_cast<unsigned char>(text[end - 1])))
        --end;
    return text.substr(start, end - start);
}

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return text;
}

bool Printable(const std::string& text)
{
    for (char c : text)
        if (static_cast<unsigned char>(c) < 32 || c == 127)
            return false;
    return true;
}

}  // namespace

bool ReadSkinFile(const std::string& text, std::vector<SkinFileEntry>& entries, Reports& reports)
{
    entries.clear();
    size_t number = 0;
    for (size_t start = 0; start < text.size(); ++number) {
        size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end;
        size_t length = end - start;
        std::string line = Trimmed(text.substr(start, std::min(length, kLongestLine + 1)));
        start = end + 1;
        if (length > kLongestLine) {
            AddReport(reports, "ReadSkinFile: line %zu is longer than %zu characters", number + 1, kLongestLine);
            return false;
        }
        if (line.empty() || line.compare(0, 2, "//") == 0)
            continue;
        size_t comma = line.find(',');
        if (comma == std::string::npos && Lower(line).compare(0, 8, "replace ") == 0) {
            // DarkPlaces' other way to say it: "replace surface image".
            std::string rest = Trimmed(line.substr(8));
            size_t gap = rest.find_first_of(" \t");
            if (gap != std::string::npos && Printable(rest)) {
                entries.push_back({AsText(Lower(rest.substr(0, gap))), AsText(Trimmed(rest.substr(gap)))});
                continue;
            }
        }
        std::string surface = Trimmed(line.substr(0, comma));
        if (Lower(surface).compare(0, 4, "tag_") == 0)
            continue;  // with or without its comma, as the engines take it
        if (comma == std::string::npos || surface.empty() || !Printable(line)) {
            AddReport(reports, "ReadSkinFile: line %zu is not \"surface,image\": \"%.60s\"", number + 1,
                      AsText(line).c_str());
            return false;
        }
        entries.push_back({AsText(Lower(surface)), AsText(Trimmed(line.substr(comma + 1)))});
    }
    return true;
}

std::string WriteSkinFile(const std::vector<SkinFileEntry>& entries)
{
    std::string text;
    for (const SkinFileEntry& entry : entries)
        text += entry.surface + "," + entry.image + "\n";
    return text;
}
