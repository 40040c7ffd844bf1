#pragma once

#include "batch/render_options.h"

// tarnivel --export: reads the model with no display and no OpenGL and
// writes it. 0 on success; 1 after a one-line report on standard error,
// with no file written.
int RunExport(const ExportCommand& request);
