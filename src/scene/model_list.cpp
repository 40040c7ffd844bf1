#include "scene/model_list.h"

#include <GL/gl.h>

#include <cstdio>
#include <string>

#include "model/archive_choice.h"
#include "model/load.h"
#include "rig/assembly.h"
#include "platform/chooser.h"
#include "platform/error_log.h"
#include "platform/paths.h"
#include "render/draw.h"
#include "render/textures.h"
#include "state/viewer_state.h"
#include "view/framing.h"

namespace {

// A load that fails after its skins: textures deleted, the model released.
void ReleaseFailedModel(std::unique_ptr<ModelObject>& model)
{
    if (model->skins)
        FreeSkinInfos(model.get());
    model.reset();
}

// What the drawing needs of a loaded model: its skin textures and its first
// frame's display list. False after a report and the model's release.
bool PrepareForDrawing(std::unique_ptr<ModelObject>& model)
{
    const std::string& tag = model->drawn->loaderName;
    CheckGLError((tag + "() before reading skins").c_str());
    if (!MakeSkinTextures(model.get())) {
        ReportError("%s: Couldn't read skin", tag.c_str());
        ReleaseFailedModel(model);
        return false;
    }
    CheckGLError((tag + "() after reading skins").c_str());
    model->displayList = glGenLists(PartCount(model.get()));
    if (model->displayList == 0) {
        ReportError("Couldn't generate a display list");
        ReleaseFailedModel(model);
        return false;
    }
    CheckGLError((tag + "()").c_str());
    UpdateModelDisplayList(model.get(), 0.0f);
    return true;
}

}  // namespace

namespace {

void ReleaseModelData(ModelObject* model)
{
    glDeleteLists(model->displayList, PartCount(model));
    FreeSkinInfos(model);
    if (!model->frameNames)
        ReportError("The model had no frame names to free!");
    model->frameNames.reset();
    FreeModelFile(model);
    if (!model->customFrames)
        ReportError("The model had no custom frame space allocated to free!");
    model->customFrames.reset();
}

// A model file named by the user; false after a report or a cancel.
bool ChosenPath(const char* path, std::string& whole)
{
    char chosen[kMaxPath];
    if (path && !PathFits("AddModel", path))
        return false;
    if (!path && !GetFileOpenName(("Name of model (" + ModelExtensionsText() + "): ").c_str(), chosen))
        return false;
    whole = path ? path : chosen;
    return ResolveArchiveChoice("AddModel", ArchiveChoice::kModel, whole);
}

// A loaded model made ready to draw; null after its reports.
std::unique_ptr<ModelObject> ReadyToDraw(std::unique_ptr<ModelObject> model)
{
    if (!model || !PrepareForDrawing(model)) {
        ReportError("AddModel: Unable to create the model object");
        return nullptr;
    }
    model->lastAdvanceTime = 0;
    model->autoSkinName[0] = '\0';
    return model;
}

// A model file read and made ready to draw; null after its reports.
std::unique_ptr<ModelObject> LoadForDrawing(const char* path)
{
    std::string whole;
    if (!ChosenPath(path, whole))
        return nullptr;
    if (!IsModelFileName(whole)) {
        ReportError("AddModel: %s", NotAModelText().c_str());
        return nullptr;
    }
    return ReadyToDraw(LoadModelFile("AddModel", whole.c_str()));
}

std::unique_ptr<ModelObject>& SlotOf(const ModelObject* model)
{
    std::unique_ptr<ModelObject>* slot = &viewer.modelList;
    while (slot->get() != model)
        slot = &(*slot)->next;
    return *slot;
}

}  // namespace

ModelObject* AddModel(const char* path)
{
    std::unique_ptr<ModelObject> model = LoadForDrawing(path);
    if (!model)
        return nullptr;
    model->next = std::move(viewer.modelList);
    viewer.modelList = std::move(model);
    viewer.currentModel = viewer.modelList.get();
    FrameIfSmall(viewer.currentModel);
    return viewer.currentModel;
}

ModelObject* AddAssembly(Assembly assembly)
{
    std::vector<std::unique_ptr<ModelObject>> ready;
    for (std::unique_ptr<ModelObject>& piece : assembly.pieces) {
        ready.push_back(ReadyToDraw(std::move(piece)));
        if (!ready.back()) {
            ready.pop_back();
            for (std::unique_ptr<ModelObject>& made : ready)
                ReleaseModelData(made.get());
            return nullptr;
        }
    }
    if (ready.empty())
        return nullptr;
    ModelObject* root = ready.front().get();
    for (std::unique_ptr<ModelObject>& piece : ready) {
        piece->next = std::move(viewer.modelList);
        viewer.modelList = std::move(piece);
    }
    viewer.currentModel = root;
    FrameIfSmall(root);
    return root;
}

ModelObject* OpenModel(const std::string& path, const std::string& weapon)
{
    std::string whole;
    if (!ChosenPath(path.c_str(), whole))
        return nullptr;
    Assembly assembly;
    if (!LoadAssembly("AddModel", whole, weapon, assembly)) {
        ReportError("AddModel: Unable to create the model object");
        return nullptr;
    }
    return AddAssembly(std::move(assembly));
}

ModelObject* ReplaceModel(ModelObject* old, std::unique_ptr<ModelObject> loaded)
{
    std::unique_ptr<ModelObject> model = ReadyToDraw(std::move(loaded));
    if (!model)
        return nullptr;
    model->placement = old->placement;
    model->materialIndex = old->materialIndex;
    model->attachedTo = old->attachedTo;
    model->attachTag = old->attachTag;
    for (ModelObject* part = viewer.modelList.get(); part; part = part->next.get())
        if (part->attachedTo == old)
            part->attachedTo = model.get();
    ReleaseModelData(old);
    std::unique_ptr<ModelObject>& slot = SlotOf(old);
    model->next = std::move(slot->next);
    slot = std::move(model);
    viewer.currentModel = slot.get();
    return viewer.currentModel;
}

void LoadModel(float)
{
    AddModel(nullptr);
}


namespace {

void Unlink(ModelObject* model)
{
    // What hangs on it goes with it.
    for (ModelObject* part = viewer.modelList.get(); part;) {
        ModelObject* next = part->next.get();
        if (part->attachedTo == model) {
            Unlink(part);
            next = viewer.modelList.get();  // the list changed: start again
        }
        part = next;
    }
    ReleaseModelData(model);
    std::unique_ptr<ModelObject>& slot = SlotOf(model);
    std::unique_ptr<ModelObject> removed = std::move(slot);
    slot = std::move(removed->next);
}

}  // namespace

void RemoveModel(float)
{
    ModelObject* model = viewer.currentModel;
    if (!model)
        return;
    Unlink(model);
    viewer.currentModel = viewer.modelList.get();
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
}

void NextBody(float)
{
    ModelObject* model = viewer.currentModel;
    if (!model || model->bodies <= 1) {
        ReportError("NextBody: the model has one body");
        return;
    }
    SetModelBody((model->body + 1) % model->bodies);
    std::unique_ptr<ModelObject> loaded = LoadModelFile("NextBody", model->path.c_str());
    SetModelBody(0);
    if (!loaded)
        return;
    loaded->currentSkin = model->currentSkin < loaded->numSkins ? model->currentSkin : 0;
    if (model->currentFrame < loaded->numFrames && model->nextFrame < loaded->numFrames)
        loaded->currentFrame = model->currentFrame, loaded->nextFrame = model->nextFrame;
    ReplaceModel(model, std::move(loaded));
}
