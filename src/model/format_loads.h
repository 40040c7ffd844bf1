#pragma once

// The steps the formats' loads share, for the model's own code.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/load.h"
#include "model/model_formats.h"
#include "platform/error_log.h"

// The 32 empty skin slots, before skins are read.
void PrepareSkinSlots(ModelObject* model, int32_t skinWidth, int32_t skinHeight);

// The end of a load once the skins are read: the reader's record is handed
// to the model (its file bytes let go) with its drawn form, which reads the
// record's frames in place.
template <typename Record>
std::unique_ptr<ModelObject> FinishModelLoad(std::unique_ptr<ModelObject> model, std::unique_ptr<Record> record)
{
    model->numFrames = FrameCount(*record);
    record->file.clear();
    record->file.shrink_to_fit();
    model->drawn = std::make_unique<const DrawnModel>(ConvertRecord(*record));
    model->fileData = std::move(record);
    InitCommonModelFields(model.get());
    return model;
}

// The record a reader makes of a model file's bytes; null after its reports.
template <typename Record>
std::unique_ptr<Record> OpenModelBytes(std::vector<uint8_t> bytes,
                                       std::unique_ptr<Record> (*open)(std::vector<uint8_t>, Reports&))
{
    Reports reports;
    std::unique_ptr<Record> record = open(std::move(bytes), reports);
    ReportAll(reports);
    return record;
}
