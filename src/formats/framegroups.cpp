#include "formats/framegroups.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <sstream>

#include "platform/names.h"

namespace {

std::string Trimmed(const std::string& text)
{
    size_t start = text.find_first_not_of(" \t\r"), end = text.find_last_not_of(" \t\r");
    return start == std::string::npos ? "" : text.substr(start, end - start + 1);
}

bool Whole(const std::string& token, int& value)
{
    char* end = nullptr;
    long number = strtol(token.c_str(), &end, 10);
    if (end == token.c_str() || *end != '\0' || number < 0 || number > (1 << 24))
        return false;
    value = static_cast<int>(number);
    return true;
}

}  // namespace

std::vector<FrameGroupRun> ReadFrameGroups(const std::string& text, Reports& reports)
{
    std::vector<FrameGroupRun> groups;
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        size_t comment = line.find("//");
        std::string said = comment == std::string::npos ? "" : Trimmed(line.substr(comment + 2));
        std::istringstream tokens(line.substr(0, comment));
        std::vector<std::string> words;
        for (std::string word; tokens >> word;)
            words.push_back(word);
        if (words.empty())
            continue;
        FrameGroupRun group;
        if (words.size() < 2 || !Whole(words[0], group.first) || !Whole(words[1], group.count)) {
            AddReport(reports, "ReadFrameGroups: line %d is not \"first count [fps [loop [name]]]\"", number);
            continue;
        }
        if (words.size() > 2)
            group.fps = static_cast<float>(atof(words[2].c_str()));
        if (!std::isfinite(group.fps))
            group.fps = 20;
        group.fps = std::max(1.0f, group.fps);  // as the engine bounds it
        if (words.size() > 3)
            group.loop = atoi(words[3].c_str()) != 0;
        std::string name = words.size() > 4 ? words[4] : said;
        if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
            name = name.substr(1, name.size() - 2);
        group.name = AsText(name.empty() ? "group" + std::to_string(groups.size() + 1) : name);
        groups.push_back(group);
    }
    return groups;
}
