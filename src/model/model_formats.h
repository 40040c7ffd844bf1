#pragma once

// The model formats the viewer reads, one row each: everything that asks
// which formats there are (file names, loading, listings, the file
// chooser's filters, the report on any other name) reads this table, and a
// loaded model is only its drawn form from then on.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "formats/reports.h"
#include "model/model.h"

// What a listing says of a model file.
struct ModelSummary {
    int32_t frames = 0;
    int64_t vertices = 0;
    int64_t triangles = 0;
    int32_t skins = 0;  // the skins the file names or holds
    bool normalsFromTriangles = false;
    std::vector<std::string> columns;  // the format's own, after the counts
};

struct ModelFormat {
    const char* extension;  // compared without case
    const char* name;       // the chooser's filter: "Quake 2 Models"
    const char* family;     // formats the chooser also offers together ("Quake Models"), or null
    // The whole load, with no OpenGL: the file read and converted to its
    // drawn form, start-up values, its skins as pictures. Null after its reports.
    std::unique_ptr<ModelObject> (*load)(const char* path);
    // The file's bytes read and converted, without skins; false after the
    // reader's reports.
    bool (*describe)(const std::string& path, const std::vector<uint8_t>& bytes, ModelSummary& summary,
                     Reports& reports);
};

extern const ModelFormat kModelFormats[];
extern const int kNumModelFormats;

// The row for the name's extension, in any case; null for a name of no format.
const ModelFormat* FormatOfName(const std::string& name);

// The zenity filters of the formats: all of them, each family, each format.
std::vector<std::string> ModelFileFilters();

// The model's drawn form, made from the reader's record it holds (loads do
// this themselves; a model put together by hand calls it).
void MakeDrawnModel(ModelObject* model);
// The summary's counts that the drawn form gives.
void SummariseDrawn(const DrawnModel& drawn, ModelSummary& summary);
