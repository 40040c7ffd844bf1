#include "batch/thumbnailer.h"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <string>

#include "batch/render_options.h"
#include "offscreen/picture.h"
#include "platform/atomic_file.h"

namespace {

void TimeIsUp(int)
{
    const char message[] = "tarnivel-thumbnailer: gave up: the model takes too long to draw\n";
    ssize_t written = write(STDERR_FILENO, message, sizeof message - 1);
    (void)written;
    if (PendingFile()[0])
        unlink(PendingFile());
    _exit(1);
}

}  // namespace

int RunThumbnailer(int argc, char** argv)
{
    PictureRequest request;
    std::string error;
    if (!ParseThumbnailOptions(argc, argv, request, error)) {
        fprintf(stderr, "%s\n", error.c_str());
        return 2;
    }
    request.program = "tarnivel-thumbnailer";
    request.fieldOfView = 30;  // a longer lens than the viewer's: less distortion so close
    // Skins need no more texels than the picture shows; a 2048 skin would cost more than the rest.
    request.textureSizeLimit = std::max(64, 2 * request.width);
    // A sandbox lets it write nothing but its picture: no shader cache either.
    setenv("MESA_SHADER_CACHE_DISABLE", "true", 1);
    setenv("MESA_GLSL_CACHE_DISABLE", "true", 1);
    signal(SIGALRM, TimeIsUp);
    alarm(kThumbnailSeconds);
    return RenderPictures(request);
}
