#include "formats/cube_config.h"

#include <cstdlib>

#include "platform/names.h"

namespace {

// The words of one line: quoted strings whole, "//" ending it.
bool LineWords(const std::string& line, std::vector<std::string>& words)
{
    for (size_t at = 0; at < line.size();) {
        char c = line[at];
        if (static_cast<unsigned char>(c) <= ' ') {
            ++at;
        } else if (c == '/' && at + 1 < line.size() && line[at + 1] == '/') {
            break;
        } else if (c == '"') {
            size_t end = line.find('"', at + 1);
            if (end == std::string::npos)
                return false;
            words.push_back(AsText(line.substr(at + 1, end - at - 1)));
            at = end + 1;
        } else {
            size_t end = at;
            while (end < line.size() && static_cast<unsigned char>(line[end]) > ' ')
                ++end;
            words.push_back(AsText(line.substr(at, end - at)));
            at = end;
        }
    }
    return true;
}

}  // namespace

std::vector<CubeCommand> ReadCubeConfig(const std::string& text, const std::string& file, Reports& reports)
{
    std::vector<CubeCommand> commands;
    std::vector<bool> kept;  // one a block of "if" that is open: whether its lines count
    int line = 0, faults = 0;
    for (size_t start = 0; start <= text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string content = text.substr(start, end - start);
        start = end + 1;
        ++line;
        std::vector<std::string> words;
        if (!LineWords(content, words)) {
            if (++faults <= 5)
                AddReport(reports, "ReadCubeConfig: %s, line %d: a quoted word is not closed", file.c_str(), line);
            continue;
        }
        if (words.empty())
            continue;
        bool counting = true;
        for (bool block : kept)
            counting = counting && block;
        if (words[0] == "if" && words.size() >= 3 && words.back() == "[") {
            kept.push_back(atof(words[1].c_str()) != 0);
            continue;
        }
        if (words[0] == "]") {
            if (!kept.empty())
                kept.pop_back();
            continue;
        }
        if (counting)
            commands.push_back({words[0], std::vector<std::string>(words.begin() + 1, words.end()), line});
        if (start > text.size())
            break;
    }
    return commands;
}
