#pragma once

// The readers' records a model keeps, for the model's own code: the
// loads, the conversions into the drawn form, and the clean-up.
#include "formats/iqm.h"
#include "formats/md2.h"
#include "formats/md5.h"
#include "formats/md3.h"
#include "formats/mdl.h"
#include "model/model.h"

MdlFile* MdlData(const ModelObject* model);
Md2File* Md2Data(const ModelObject* model);
Md3File* Md3Data(const ModelObject* model);
