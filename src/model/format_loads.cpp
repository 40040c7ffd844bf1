#include "model/format_loads.h"

void PrepareSkinSlots(ModelObject* model, int32_t skinWidth, int32_t skinHeight)
{
    model->maxSkins = kMaxSkins;
    model->skins = std::make_unique<SkinInfo[]>(kMaxSkins);
    model->skinWidth = skinWidth;
    model->skinHeight = skinHeight;
    model->numSkins = 0;
    model->hasSkins = model->texturing = false;
}
