#pragma once

#include <string>
#include <vector>

#include "model/model.h"

// The model files of the folder a model file lies in, loose or a folder
// inside an archive, in name order; each folder is listed once and kept.
const std::vector<std::string>& ModelFilesBeside(const std::string& modelPath);

// The window title: the current model's file and its place among the
// model files of its folder ("body.md2 (3/18) - Tarnivel"), or "Tarnivel".
std::string WindowTitle(const ModelObject* model);

// Command handlers: the current model replaced by another model file of
// its folder, in name order (wrapping at the ends), and framed. A file that
// fails to load is reported and passed over in the same direction.
void NextModelFile(float unused = 0.0f);
void PreviousModelFile(float unused = 0.0f);
void FirstModelFile(float unused = 0.0f);
void LastModelFile(float unused = 0.0f);
