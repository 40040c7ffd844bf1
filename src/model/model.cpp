#include "model/model.h"

#include <algorithm>

#include "platform/error_log.h"

ModelObject::ModelObject() = default;

ModelObject::~ModelObject()
{
    // Unlink iteratively so a long list never recurses deeply.
    std::unique_ptr<ModelObject> rest = std::move(next);
    while (rest)
        rest = std::move(rest->next);
}

int PartCount(const ModelObject* model)
{
    return model->drawn ? std::max<int>(1, static_cast<int>(model->drawn->parts.size())) : 1;
}

void FreeModelFile(ModelObject* model)
{
    if (!model->fileData)
        ReportError("The model had no MDL file data to free!");
    else if (!model->modelType)
        ReportError("RemoveModel: Invalid model type");
    model->drawn.reset();
    model->fileData.reset();
}
