#include "models/model_list.h"

#include <GL/gl.h>
#include <strings.h>

#include <cstdio>

#include "commands/menus.h"
#include "core/error_log.h"
#include "core/viewer_state.h"
#include "models/archive_choice.h"
#include "models/md2.h"
#include "models/mdl.h"
#include "models/skins.h"
#include "platform/chooser.h"
#include "platform/paths.h"
#include "render/draw.h"

void InitCommonModelFields(ModelObject* model)
{
    model->placement = Placement{{0, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, 0, -1}};
    model->currentSkin = 0;
    model->prevPrevFrame = model->prevFrame = model->currentFrame = 0;
    model->nextFrame = 1;
    model->animMethod = 1;
    model->maxCustomFrames = kMaxCustomFrames;
    model->numCustomFrames = 0;
    model->customFrameIndex = 0;
    model->customFrames = std::make_unique<int32_t[]>(kMaxCustomFrames);
    model->materialIndex = 0;
}

void PrepareSkinSlots(ModelObject* model, int32_t skinWidth, int32_t skinHeight, const char* checkTag)
{
    model->maxSkins = kMaxSkins;
    model->skins = std::make_unique<SkinInfo[]>(kMaxSkins);
    model->skinWidth = skinWidth;
    model->skinHeight = skinHeight;
    model->numSkins = 0;
    model->hasSkins = model->texturing = false;
    CheckGLError(checkTag);
}

void ReleaseFailedModel(std::unique_ptr<ModelObject>& model)
{
    if (model->skins)
        FreeSkinInfos(model.get());
    model.reset();
}

bool GenerateDisplayList(std::unique_ptr<ModelObject>& model)
{
    model->displayList = glGenLists(1);
    if (model->displayList != 0)
        return true;
    ReportError("Couldn't generate a display list");
    ReleaseFailedModel(model);
    return false;
}

void StartModel(ModelObject* model, ModelType type, const char* checkTag)
{
    InitCommonModelFields(model);
    CheckGLError(checkTag);
    model->modelType = type;
    UpdateModelDisplayList(model, 0.0f);
}

ModelObject* AddModel(const char* path)
{
    char chosen[kMaxPath];
    if (path && !PathFits("AddModel", path))
        return nullptr;
    if (!path && !GetFileOpenName("Name of model (.mdl or .md2): ", chosen))
        return nullptr;
    std::string whole = path ? path : chosen;
    if (!ResolveArchiveChoice("AddModel", ArchiveChoice::kModel, whole))
        return nullptr;
    const char* name = whole.c_str();

    const char* extension = ExtractExtension(name);
    std::unique_ptr<ModelObject> model;
    if (extension && strcasecmp(extension, "mdl") == 0) {
        model = InitMdlObject(name);
    } else if (extension && strcasecmp(extension, "md2") == 0) {
        model = InitMd2Object(name);
    } else {
        ReportError("AddModel: You must specify a model ending with \".mdl\" or \".md2\"");
        return nullptr;
    }
    if (!model) {
        ReportError("AddModel: Unable to create the model object");
        return nullptr;
    }
    model->lastAdvanceTime = 0;
    model->autoSkinName[0] = '\0';
    model->next = std::move(viewer.modelList);
    viewer.modelList = std::move(model);
    viewer.currentModel = viewer.modelList.get();
    UpdateMaterialMenu();
    return viewer.currentModel;
}

void LoadModel(float)
{
    AddModel(nullptr);
}

namespace {

void ReleaseModelData(ModelObject* model)
{
    GLuint list = model->displayList;
    glDeleteLists(list, 1);
    FreeSkinInfos(model);
    if (!model->frameNames)
        ReportError("The model had no frame names to free!");
    model->frameNames.reset();
    if (std::holds_alternative<std::monostate>(model->fileData)) {
        ReportError("The model had no MDL file data to free!");
    } else if (model->modelType == kModelMdl && MdlData(model)) {
        FreeMdlFile(std::move(std::get<std::unique_ptr<MdlFile>>(model->fileData)));
    } else if (model->modelType == kModelMd2 && Md2Data(model)) {
        FreeMd2File(std::move(std::get<std::unique_ptr<Md2File>>(model->fileData)));
    } else {
        ReportError("RemoveModel: Invalid model type");
    }
    model->fileData = std::monostate();
    if (!model->customFrames)
        ReportError("The model had no custom frame space allocated to free!");
    model->customFrames.reset();
}

}  // namespace

void RemoveModel(float)
{
    ModelObject* model = viewer.currentModel;
    if (!model)
        return;
    ReleaseModelData(model);
    std::unique_ptr<ModelObject>* slot = &viewer.modelList;
    while (slot->get() != model)
        slot = &(*slot)->next;
    std::unique_ptr<ModelObject> removed = std::move(*slot);
    *slot = std::move(removed->next);
    removed.reset();
    viewer.currentModel = viewer.modelList.get();
    UpdateMaterialMenu();
}

void ReleaseAllModels()
{
    while (viewer.currentModel)
        RemoveModel();
}

void NextModel(float)
{
    ModelObject* model = viewer.currentModel;
    if (!model)
        return;
    viewer.currentModel = model->next ? model->next.get() : viewer.modelList.get();
    UpdateMaterialMenu();
}
