#pragma once

// A compressed Quake III model (MDC) as the drawn form: the MD3 it
// compresses, its frames decoded.
#include "formats/mdc.h"
#include "geometry/drawn_model.h"

// The drawn form of a record, which must outlive it (its frames are read in place).
DrawnModel ConvertRecord(const MdcFile& file);
