#pragma once

// What each format's load is made of, for the model's own code: the
// conversions of the readers' records into the drawn form, the listings,
// and the steps the loads share.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/load.h"
#include "model/model_formats.h"
#include "model/model_records.h"

// The drawn form of a record, which must outlive it (its frames are read in place).
DrawnModel ConvertRecord(const Md2File& file);
DrawnModel ConvertRecord(const MdlFile& file);
DrawnModel ConvertRecord(const Md3File& file);
DrawnModel ConvertRecord(const IqmFile& file);
DrawnModel ConvertRecord(const Md5MeshFile& file);

bool DescribeMd2(const std::string& path, const std::vector<uint8_t>& bytes, ModelSummary& summary,
                 Reports& reports);
bool DescribeMdl(const std::string& path, const std::vector<uint8_t>& bytes, ModelSummary& summary,
                 Reports& reports);
bool DescribeMd3(const std::string& path, const std::vector<uint8_t>& bytes, ModelSummary& summary,
                 Reports& reports);
bool DescribeIqm(const std::string& path, const std::vector<uint8_t>& bytes, ModelSummary& summary,
                 Reports& reports);
bool DescribeMd5(const std::string& path, const std::vector<uint8_t>& bytes, ModelSummary& summary,
                 Reports& reports);

// The named skin as the model's next skin, when an image for it can be
// found. PCX skins use palette (the Quake 2 one; null when there is none).
int ReadMD2Skin(const SkinName& name, const char* modelPath, const uint8_t* palette, ModelObject* model);
// Makes the skin picture the model's next skin.
int ReadMDLSkin(const MdlFile& file, const MdlSkinPicture& picture, const uint8_t* palette, ModelObject* model);

// The 32 empty skin slots, before skins are read.
void PrepareSkinSlots(ModelObject* model, int32_t skinWidth, int32_t skinHeight);

// The end of a load once the skins are read: the reader's record is handed
// to the model (its file bytes let go) and converted to the drawn form.
template <typename Record>
std::unique_ptr<ModelObject> FinishModelLoad(std::unique_ptr<ModelObject> model, std::unique_ptr<Record> record,
                                             ModelType type)
{
    model->numFrames = FrameCount(*record);
    record->file.clear();
    record->file.shrink_to_fit();
    model->drawn = std::make_unique<const DrawnModel>(ConvertRecord(*record));
    model->fileData = std::move(record);
    InitCommonModelFields(model.get());
    model->modelType = type;
    return model;
}

// A model file read whole and opened by the reader; null after the reports.
template <typename Record>
std::unique_ptr<Record> OpenModelFile(const char* who, const char* kind, const char* path,
                                      std::unique_ptr<Record> (*open)(std::vector<uint8_t>, Reports&))
{
    std::vector<uint8_t> bytes;
    if (!ReadModelFile(who, kind, path, bytes))
        return nullptr;
    Reports reports;
    std::unique_ptr<Record> record = open(std::move(bytes), reports);
    ReportAll(reports);
    return record;
}
