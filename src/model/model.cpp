#include "model/model.h"

#include "formats/md2.h"
#include "formats/mdl.h"

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
