#pragma once

#include <string>

// An OpenGL compatibility context drawing into a pbuffer of its own, made
// through EGL on Mesa's surfaceless platform: no display server is touched,
// so pictures can be made where there is none.
struct OffscreenContext {
    void* display = nullptr;
    void* context = nullptr;
    void* surface = nullptr;
    int width = 0;
    int height = 0;
};

// Makes the context current; false with error naming what is missing.
bool CreateOffscreenContext(int width, int height, OffscreenContext& context, std::string& error);
void DestroyOffscreenContext(OffscreenContext& context);
