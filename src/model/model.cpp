#include "model/model.h"

#include <algorithm>

#include "model/model_records.h"
#include "platform/error_log.h"

ModelObject::ModelObject() = default;

ModelObject::~ModelObject()
{
    // Unlink iteratively so a long list never recurses deeply.
    std::unique_ptr<ModelObject> rest = std::move(next);
    while (rest)
        rest = std::move(rest->next);
}

MdlFile* MdlData(const ModelObject* model)
{
    auto* data = std::get_if<std::unique_ptr<MdlFile>>(&model->fileData);
    return data ? data->get() : nullptr;
}

Md2File* Md2Data(const ModelObject* model)
{
    auto* data = std::get_if<std::unique_ptr<Md2File>>(&model->fileData);
    return data ? data->get() : nullptr;
}

Md3File* Md3Data(const ModelObject* model)
{
    auto* data = std::get_if<std::unique_ptr<Md3File>>(&model->fileData);
    return data ? data->get() : nullptr;
}

int PartCount(const ModelObject* model)
{
    return model->drawn ? std::max<int>(1, static_cast<int>(model->drawn->parts.size())) : 1;
}

void FreeModelFile(ModelObject* model)
{
    if (std::holds_alternative<std::monostate>(model->fileData)) {
        ReportError("The model had no MDL file data to free!");
    } else if (model->modelType == kModelMdl && MdlData(model)) {
        if (!MdlData(model)->file.empty())
            ReportError("Warning: the MDL file for the model being removed may still be open");
    } else if (model->modelType == kModelMd2 && Md2Data(model)) {
        if (!Md2Data(model)->file.empty())
            ReportError("Warning: the MD2 file for the model being removed may still be open");
    } else if (model->modelType != kModelMd3 && model->modelType != kModelIqm && model->modelType != kModelMd5) {
        ReportError("RemoveModel: Invalid model type");
    }
    model->drawn.reset();
    model->fileData = std::monostate();
}
