#include "gallery/gallery.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "gallery/pages.h"
#include "platform/atomic_file.h"
#include "platform/file_bytes.h"
#include "platform/paths.h"

const char* const kThreeFolder = "/usr/share/javascript/three";

namespace {

const char kListFile[] = "gallery/models.tsv";

std::string ListLine(const GalleryEntry& entry)
{
    std::string line = entry.name + "\t" + entry.file + "\t" + entry.format + "\t" + std::to_string(entry.frames) + "\t";
    for (size_t i = 0; i < entry.animations.size(); ++i)
        line += (i ? "\x1f" : "") + entry.animations[i];
    return line + "\n";
}

// three.js and the two of its examples the model page uses, as libjs-three keeps them.
bool CopyThree(const std::string& folder, std::string& error)
{
    const char* files[3][2] = {{"build/three.min.js", "three.min.js"},
                               {"examples/js/loaders/GLTFLoader.js", "GLTFLoader.js"},
                               {"examples/js/controls/OrbitControls.js", "OrbitControls.js"}};
    for (const auto& file : files) {
        std::vector<uint8_t> bytes;
        std::string from = std::string(kThreeFolder) + "/" + file[0];
        if (ReadFileBytes(from.c_str(), bytes) != FileReadResult::kOk) {
            error = from + " cannot be read (Debian's libjs-three): the model pages cannot draw";
            return false;
        }
        if (!WriteFileAtomically(folder + "gallery/three/" + file[1], std::string(bytes.begin(), bytes.end()), error))
            return false;
    }
    return true;
}

}  // namespace

std::map<std::string, GalleryEntry> ReadGallery(const std::string& folder)
{
    std::map<std::string, GalleryEntry> entries;
    std::ifstream list(folder + kListFile);
    for (std::string line; std::getline(list, line);) {
        std::vector<std::string> fields = SplitFields(line, '\t');
        if (fields.size() != 5 || fields[0].empty())
            continue;
        GalleryEntry entry{fields[0], fields[1], fields[2], atoi(fields[3].c_str()), {}};
        if (!fields[4].empty())
            entry.animations = SplitFields(fields[4], '\x1f');
        entries[entry.name] = entry;
    }
    return entries;
}

bool WriteGallery(const std::string& folder, const std::vector<GalleryEntry>& entries, std::string& error)
{
    std::string list;
    for (const GalleryEntry& entry : entries)
        list += ListLine(entry);
    mkdir((folder + "gallery").c_str(), 0777);
    mkdir((folder + "gallery/three").c_str(), 0777);
    if (!WriteFilesAtomically({{folder + kListFile, list},
                               {folder + "gallery/view.html", kModelPage},
                               {folder + "index.html", IndexPage(entries)}},
                              error))
        return false;
    return CopyThree(folder, error);
}
