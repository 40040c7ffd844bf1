#pragma once

#include <memory>

#include "models/model.h"

// Start-up values both readers give a model once its file is read.
void InitCommonModelFields(ModelObject* model);

// What both readers share. The 32 empty skin slots, before skins are read:
void PrepareSkinSlots(ModelObject* model, int32_t skinWidth, int32_t skinHeight, const char* checkTag);
// A load that fails after its skins: textures deleted, the model released.
void ReleaseFailedModel(std::unique_ptr<ModelObject>& model);
// A display-list name; false after a report and the model's release.
bool GenerateDisplayList(std::unique_ptr<ModelObject>& model);
// Start-up values, the model type and the first frame's display list.
void StartModel(ModelObject* model, ModelType type, const char* checkTag);

// The end of both loads once the skins are read: the reader's record is
// handed to the model, its file bytes let go.
template <typename Record>
std::unique_ptr<ModelObject> FinishModelLoad(std::unique_ptr<ModelObject> model,
                                             std::unique_ptr<Record> record, ModelType type,
                                             const char* checkTag)
{
    model->numFrames = FrameCount(*record);
    if (!GenerateDisplayList(model))
        return nullptr;
    record->file.clear();
    record->file.shrink_to_fit();
    model->fileData = std::move(record);
    StartModel(model.get(), type, checkTag);
    return model;
}

// Loads a model (asking for the file when path is null), links it at the
// head of the list and makes it current. Null after a report or a cancel.
ModelObject* AddModel(const char* path);

// Removes every model, as "Remove Model" does one.
void ReleaseAllModels();

// Command handlers.
void LoadModel(float unused = 0.0f);
void RemoveModel(float unused = 0.0f);
void NextModel(float unused = 0.0f);
