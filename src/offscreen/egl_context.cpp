#include "offscreen/egl_context.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <cstdio>
#include <cstring>

namespace {

bool HasExtension(const char* extensions, const char* name)
{
    size_t length = strlen(name);
    for (const char* at = extensions; at && (at = strstr(at, name)); at += length)
        if ((at == extensions || at[-1] == ' ') && (at[length] == ' ' || at[length] == '\0'))
            return true;
    return false;
}

std::string EglError(const char* what)
{
    char text[96];
    snprintf(text, sizeof text, "%s failed (EGL error 0x%04X)", what, static_cast<unsigned>(eglGetError()));
    return text;
}

EGLDisplay SurfacelessDisplay(std::string& error)
{
    const char* extensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    if (!extensions || !HasExtension(extensions, "EGL_EXT_platform_base") ||
        !HasExtension(extensions, "EGL_MESA_platform_surfaceless")) {
        error = "EGL offers no surfaceless platform (EGL_MESA_platform_surfaceless; Mesa's EGL, Debian's "
                "libegl-mesa0, provides it)";
        return EGL_NO_DISPLAY;
    }
    auto getPlatformDisplay =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    EGLDisplay display = getPlatformDisplay
                             ? getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr)
                             : EGL_NO_DISPLAY;
    if (display == EGL_NO_DISPLAY)
        error = EglError("eglGetPlatformDisplayEXT on the surfaceless platform");
    return display;
}

bool MakeContext(EGLDisplay display, int width, int height, OffscreenContext& out, std::string& error)
{
    EGLint major = 0, minor = 0;
    if (!eglInitialize(display, &major, &minor)) {
        error = EglError("eglInitialize on the surfaceless platform");
        return false;
    }
    out.display = display;
    if (!eglBindAPI(EGL_OPENGL_API)) {
        error = EglError("eglBindAPI(EGL_OPENGL_API): EGL cannot make desktop OpenGL contexts");
        return false;
    }
    const EGLint wanted[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                             EGL_RED_SIZE,     8,               EGL_GREEN_SIZE,      8,
                             EGL_BLUE_SIZE,    8,               EGL_ALPHA_SIZE,      8,
                             EGL_DEPTH_SIZE,   24,              EGL_NONE};
    EGLConfig config = nullptr;
    EGLint found = 0;
    if (!eglChooseConfig(display, wanted, &config, 1, &found) || found < 1) {
        error = "EGL has no configuration for OpenGL with an RGBA pbuffer and a depth buffer";
        return false;
    }
    const EGLint size[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    out.surface = eglCreatePbufferSurface(display, config, size);
    if (out.surface == EGL_NO_SURFACE) {
        error = EglError("eglCreatePbufferSurface");
        return false;
    }
    // No version asked: the newest compatibility profile, where glBegin and display lists live.
    out.context = eglCreateContext(display, config, EGL_NO_CONTEXT, nullptr);
    if (out.context == EGL_NO_CONTEXT) {
        error = EglError("eglCreateContext for OpenGL");
        return false;
    }
    if (!eglMakeCurrent(display, out.surface, out.surface, out.context)) {
        error = EglError("eglMakeCurrent");
        return false;
    }
    return true;
}

}  // namespace

bool CreateOffscreenContext(int width, int height, OffscreenContext& context, std::string& error)
{
    context = OffscreenContext();
    EGLDisplay display = SurfacelessDisplay(error);
    if (display == EGL_NO_DISPLAY)
        return false;
    if (!MakeContext(display, width, height, context, error)) {
        DestroyOffscreenContext(context);
        return false;
    }
    context.width = width;
    context.height = height;
    return true;
}

void DestroyOffscreenContext(OffscreenContext& context)
{
    if (!context.display)
        return;
    eglMakeCurrent(context.display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (context.surface)
        eglDestroySurface(context.display, context.surface);
    if (context.context)
        eglDestroyContext(context.display, context.context);
    // Threads the driver started must be gone before the process exits.
    eglTerminate(context.display);
    eglReleaseThread();
    context = OffscreenContext();
}
