// tarnivel-palettes: takes the palettes out of a game's own pak files.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "looks/palette_extract.h"
#include "looks/palettes.h"

namespace {

void Usage()
{
    fprintf(stderr,
            "usage: tarnivel-palettes [--user | --system] [--replace] ARCHIVE...\n"
            "  Writes palette.lmp (from a Quake archive's gfx/palette.lmp) and palette_MD2.lmp\n"
            "  (from a Quake 2 archive's pics/colormap.pcx) into the current folder; an\n"
            "  archive is a .pak or a .pk3.\n"
            "  --user     write into the user's data folder instead (%s)\n"
            "  --system   write into the installed data folder, for every user and for file\n"
            "             managers' thumbnailers (%s)\n"
            "  --replace  replace a palette that is already there and differs\n",
            UserPaletteDirectory().c_str(), SystemPaletteDirectory().c_str());
}

bool MakeDirectories(const std::string& path)
{
    for (size_t at = 1; at <= path.size(); ++at) {
        if (at != path.size() && path[at] != '/')
            continue;
        std::string part = path.substr(0, at);
        if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST)
            return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    bool user = false, system = false, replace = false;
    int first = 1;
    for (; first < argc && argv[first][0] == '-'; ++first) {
        if (strcmp(argv[first], "--user") == 0)
            user = true;
        else if (strcmp(argv[first], "--system") == 0)
            system = true;
        else if (strcmp(argv[first], "--replace") == 0)
            replace = true;
        else
            return Usage(), 2;
    }
    if (first == argc || (user && system))
        return Usage(), 2;
    std::string directory = ".";
    if (user || system) {
        directory = user ? UserPaletteDirectory() : SystemPaletteDirectory();
        if (directory.empty() || !MakeDirectories(directory)) {
            fprintf(stderr, "tarnivel-palettes: cannot make the folder \"%s\"\n", directory.c_str());
            return 1;
        }
    }
    bool ok = true;
    for (int i = first; i < argc; ++i) {
        std::string log;
        bool done = ExtractPalettes(argv[i], directory, replace, log);
        fputs(log.c_str(), done ? stdout : stderr);
        ok = ok && done;
    }
    return ok ? 0 : 1;
}
