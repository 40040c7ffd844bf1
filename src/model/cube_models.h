#pragma once

// A cube-engine model's configuration (Red Eclipse, Tesseract,
// Sauerbraten): the iqm.cfg or md5.cfg beside the model, with the files it
// executes, saying which mesh, skins and animations go together.
#include <string>
#include <vector>

struct CubeAnimation {
    std::string name;  // the first of its names ("idle|stand" is idle)
    std::string path;
    float fps = 0;     // 0: the file's own rate
};

struct CubeModelConfig {
    bool found = false;
    std::string mesh;  // the mesh it loads; empty when it names none
    std::vector<std::pair<std::string, std::string>> skins;  // a mesh's name ("*": every mesh) and its image
    std::vector<CubeAnimation> animations;
    float yaw = 0;  // mdlyaw: degrees the engine turns the model about its up axis
};

// True when the configuration is the model's: it loads the model, or no mesh at all.
bool ConfigIsModels(const CubeModelConfig& config, const std::string& modelPath);

// The configuration beside the model, for the prefix's commands ("iqm",
// "md5"); found false when there is none. Faults are reported with their
// file and line.
CubeModelConfig ReadCubeModelConfig(const std::string& modelPath, const std::string& prefix);
