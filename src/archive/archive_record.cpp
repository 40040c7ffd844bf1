#include "archive/archive_record.h"

#include <algorithm>

#include "platform/names.h"

bool CheckMemberName(const std::string& name, std::string& error)
{
    std::string fault;
    if (name.empty())
        fault = "has an empty name";
    else if (name[0] == '/' || name[0] == '\\' || (name.size() > 1 && name[1] == ':'))
        fault = "has an absolute path";
    else if (std::any_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }))
        fault = "has a control character in its name";
    for (size_t start = 0; fault.empty() && start <= name.size();) {
        size_t end = name.find_first_of("/\\", start);
        if (end == std::string::npos)
            end = name.size();
        if (name.compare(start, end - start, "..") == 0)
            fault = "has \"..\" in its path";
        start = end + 1;
    }
    if (fault.empty())
        return true;
    error = "member \"" + AsText(name) + "\" " + fault;
    return false;
}
