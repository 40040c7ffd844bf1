#include "model/model.h"

#include "formats/md2.h"
#include "formats/mdl.h"

#include <algorithm>

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
    const Md3File* md3 = Md3Data(model);
    return md3 ? std::max<int>(1, static_cast<int>(md3->surfaces.size())) : 1;
}
