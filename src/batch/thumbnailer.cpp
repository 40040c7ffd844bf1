#include "batch/thumbnailer.h"

#include <pwd.h>
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

// Where Mesa would keep its shader cache: the folder named, or the cache
// folder it would make its own in (as Mesa does, in the home the password
// database gives, not $HOME).
std::string ShaderCacheFolder()
{
    const char* named = getenv("MESA_SHADER_CACHE_DIR");
    const char* cache = getenv("XDG_CACHE_HOME");
    if (named && named[0])
        return named;
    if (cache && cache[0])
        return cache;
    const passwd* user = getpwuid(getuid());
    return user && user->pw_dir ? std::string(user->pw_dir) + "/.cache" : std::string();
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
    // The shader cache saves a fifth of a picture where it can be kept. A
    // file manager's sandbox binds no home (and lets nothing but the picture
    // be written), so there the folder is missing and Mesa is told not to try.
    std::string cache = ShaderCacheFolder();
    if (cache.empty() || access(cache.c_str(), W_OK) != 0) {
        setenv("MESA_SHADER_CACHE_DISABLE", "true", 1);
        setenv("MESA_GLSL_CACHE_DISABLE", "true", 1);
    }
    signal(SIGALRM, TimeIsUp);
    alarm(kThumbnailSeconds);
    return RenderPictures(request);
}
