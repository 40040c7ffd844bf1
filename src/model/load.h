#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/model.h"

// Reads a model file, loose or inside an archive; false after one report in
// the reader's words: who ("OpenMd2File") and what kind of file ("md2").
bool ReadModelFile(const char* who, const char* kind, const char* path, std::vector<uint8_t>& bytes);

// A file name the viewer reads as a model: one of the formats' extensions, in any case.
bool IsModelFileName(const std::string& name);
// What is said of any other name.
std::string NotAModelText();
// The extensions for a prompt: ".mdl, .md2 or .md3".
std::string ModelExtensionsText();
// The whole load of a model file, with no OpenGL: its record, frame names,
// start-up values, and its skins as pictures (skinPictures) for whoever
// draws it to make into textures. The file is read by the format whose
// first bytes it carries, else by its name's. Null after a report (a name
// of no model format is reported by who); nothing stays.
std::unique_ptr<ModelObject> LoadModelFile(const char* who, const char* path);

struct ModelPiece;
// The models of a file: those of a file that holds several hung on each
// other (a whole player as a glTF), else its one; each piece's path and
// format set as LoadModelFile sets them. False after the reports.
bool LoadModelPieces(const char* who, const char* path, std::vector<ModelPiece>& pieces);

// Start-up values every load gives a model once its file is read.
void InitCommonModelFields(ModelObject* model);

// The body number loads draw a model of body parts with (--body, "Next
// Body"): each part's sub-model counted as the engine counts them.
void SetModelBody(int body);
int ModelBody();
