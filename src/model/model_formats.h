#pragma once

// The model formats the viewer reads, one row each. A row says everything
// about its format: its names, the extensions and first bytes that tell it,
// its MIME type, its load and its listing; it is defined beside the
// format's load, and the table lists the rows. Everything that asks which
// formats there are (file names, loading, listings, the file chooser's
// filters, the installed lists of types) reads the table, and a loaded
// model is only its drawn form from then on.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "formats/reports.h"
#include "geometry/skeleton.h"
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

// One model of a file that holds several hung on each other: the piece it
// hangs on (-1 for none) and that piece's tag.
struct ModelPiece {
    std::unique_ptr<ModelObject> model;
    int parent = -1;
    std::string tag;
};

struct ModelFormat {
    const char* key;            // "md2": how listings and the batch export name it
    const char* extensions[4];  // compared without case, the usual one first; the rest null
    const char* magic;          // the first bytes of every such file; null when only the name tells it
    const char* name;           // the chooser's filter: "Quake 2 Models"
    const char* family;         // formats the chooser also offers together ("Quake Models"), or null
    const char* description;    // "Quake 2 model": the MIME type's comment, the manual
    const char* mimeType;       // "model/x-quake2-md2"
    bool text;                  // a text file (for MIME, a kind of text/plain)
    bool systemMime;            // a type the system's MIME database already defines: not in ours
    const char* reader;         // who reports a file that cannot be read: "OpenMd2File"
    const char* loader;         // who reports the load that failed with it: "InitMd2Object"
    // The whole load of the file's bytes, with no OpenGL: converted to its
    // drawn form, start-up values, its skins as pictures. Null after its reports.
    std::unique_ptr<ModelObject> (*load)(const char* path, std::vector<uint8_t> bytes);
    // The file's bytes read and converted, without skins; false after the
    // reader's reports.
    bool (*describe)(const std::string& path, const std::vector<uint8_t>& bytes, ModelSummary& summary,
                     Reports& reports);
    // A skeletal format's animations, from a file of it beside a model or
    // named by a configuration: the extension of such files, and the
    // animations added to the skeleton (false, nothing added, when the
    // file's joints do not match). Null for the others.
    const char* animationExtension;
    bool (*addAnimations)(Skeleton& skeleton, const std::string& path, const std::string& name, float fps,
                          bool animationsOnly);
    // A file that may hold several models on separate clocks hung on each
    // other (a whole player): its pieces, each with the sequences it plays;
    // false after the reports. Null for the others, whose file is one model.
    bool (*loadPieces)(const char* path, std::vector<uint8_t> bytes, std::vector<ModelPiece>& pieces);
    // A format whose models keep parts in files of their own beside them
    // (a Half-Life model's NAMET.mdl, NAME01.mdl): the model a file of that
    // name would be part of, else false; and whether a file's first bytes
    // are such a part's. Null for the others.
    bool (*partOf)(const std::string& name, std::string& model);
    bool (*isPart)(const std::vector<uint8_t>& bytes);
};

// The table: every row, in the order the chooser offers them.
struct ModelFormatTable {
    const ModelFormat* const* first;
    const ModelFormat* const* last;
    const ModelFormat* const* begin() const { return first; }
    const ModelFormat* const* end() const { return last; }
};
extern const ModelFormatTable kModelFormats;

// Every row's extensions in the table's order, each once (Quake's and
// Half-Life's models share .mdl).
std::vector<std::string> ModelExtensions();

// The names less those that are parts of another model among them (a
// Half-Life model's texture and sequence-group files, told by their names
// and their first bytes, read at prefix + name), in their order: what a
// listing, browsing and a batch export count as models.
std::vector<std::string> WholeModels(const std::vector<std::string>& names, const std::string& prefix = "");

// The row for the name's extension, in any case; null for a name of no format.
const ModelFormat* FormatOfName(const std::string& name);

// The row whose magic the bytes begin with, whatever the name; else the
// name's row. Null when the bytes are of a family of models the viewer
// does not read (named in family: "a Half-Life model (IDST, version 10)"),
// or when the name is of no format either.
const ModelFormat* FormatOfFile(const std::string& name, const std::vector<uint8_t>& bytes, std::string& family);

// The zenity filters of the formats: all of them, each family, each format.
std::vector<std::string> ModelFileFilters();

// The summary's counts that the drawn form gives.
void SummariseDrawn(const DrawnModel& drawn, ModelSummary& summary);
