#pragma once

#include <string>
#include <vector>

#include "batch/batch_options.h"

// Writes every model of the sources into the folder, as many at once as
// jobs, with a line of progress on standard error, export-report.txt
// naming each failure, and (unless --no-gallery) the gallery's index.html.
// Files already newer than their model are kept unless forced. 0 when every
// model was written or kept, 2 when some failed, 1 when none could be, 130
// when interrupted.
int RunBatchExport(const BatchExportCommand& request);
