#pragma once

// Thumbnails are made within this many seconds or not at all: a model that
// takes longer (there is no remeshing here, and every model is decoded and
// drawn once, but a file can be huge) gives up with a report and no file.
constexpr unsigned kThumbnailSeconds = 10;

// The thumbnailer: SIZE pixels square, the model lit and textured on a
// transparent background, seen from the front and a little above, framed to
// fill it. 0, or 1 after a one-line report on standard error.
int RunThumbnailer(int argc, char** argv);
