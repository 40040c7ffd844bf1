#pragma once

#include <string>
#include <vector>

// One exported model as the gallery shows it.
struct GalleryEntry {
    std::string name;    // its path, without extension: "models/monsters/ogre"
    std::string file;    // what was written, from the folder: "models/monsters/ogre.glb"
    std::string format;  // "md2", "player"...
    int frames = 0;
    std::vector<std::string> animations;
};
