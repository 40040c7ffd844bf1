#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "formats/reports.h"
#include "model/model.h"

// Tells the log what a reader said, in order.
void ReportAll(const Reports& reports);

// Reads a model file, loose or inside an archive; false after one report in
// the reader's words: who ("OpenMd2File") and what kind of file ("md2").
bool ReadModelFile(const char* who, const char* kind, const char* path, std::vector<uint8_t>& bytes);

// The whole load of a model file, with no OpenGL: its record, frame names,
// start-up values, and its skins as pictures (skinPictures) for whoever
// draws it to make into textures. Null after its reports; nothing stays.
std::unique_ptr<ModelObject> InitMd2Object(const char* path);
std::unique_ptr<ModelObject> InitMdlObject(const char* path);
std::unique_ptr<ModelObject> InitMd3Object(const char* path);
std::unique_ptr<ModelObject> InitIqmObject(const char* path);
std::unique_ptr<ModelObject> InitMd5Object(const char* path);

// A file name the viewer reads as a model: one of the formats' extensions, in any case.
bool IsModelFileName(const std::string& name);
// What is said of any other name.
std::string NotAModelText();
// The extensions for a prompt: ".mdl, .md2 or .md3".
std::string ModelExtensionsText();
// The load of the model file the name's extension names; null after a report
// (a name of no model format is reported by who).
std::unique_ptr<ModelObject> LoadModelFile(const char* who, const char* path);

// The .skin files beside an MD3, "lower.md3"'s "lower_NAME.skin": each
// set's name and path, "default" first.
std::vector<std::pair<std::string, std::string>> Md3SkinFiles(const std::string& modelPath);

// Start-up values every load gives a model once its file is read.
void InitCommonModelFields(ModelObject* model);
