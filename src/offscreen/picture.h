#pragma once

#include <cstdint>
#include <string>

// What one off-screen rendering run makes: a picture of one frame, or a
// numbered sequence of the animation on a simulated clock.
struct PictureRequest {
    std::string model;
    std::string output;  // OUT.png; for a sequence, OUT_000.png onward
    int width = 640;
    int height = 480;
    std::string frame;  // a frame number or name; empty: the first frame
    int skin = -1;      // -1: the first
    std::string skinName;  // or a skin set by name ("red")
    std::string weapon;    // a Quake III player's weapon: a name of its game's, or a path
    int body = 0;          // a model of body parts: the sub-models drawn, as the engine numbers them
    int background = -1;  // a BG Color index; -1: transparent
    uint8_t interpolation = 0;
    int firstFrame = -1;  // --frames A-B; -1: one picture
    int lastFrame = -1;
    int fps = 10;
    int fieldOfView = 90;
    float pitch = -20.0f;  // the orbit's elevation: a little above
    int textureSizeLimit = 0;  // 0, or the longest side skin textures keep
    const char* program = "tarnivel";  // names the reports
};

// One off-screen context for many pictures of one size, as a batch makes
// them: made by the first picture, kept until closed.
struct PictureSession {
    struct OffscreenContext* context = nullptr;
    int width = 0;
    int height = 0;
};

// Draws the request's picture(s) in the session; false with the fault in
// error ("MODEL: why", "PICTURE: why", or why there is no context). What a
// picture drawn lacks (a skin not found) is in warning.
bool RenderPicturesIn(PictureSession& session, const PictureRequest& request, std::string& error,
                      std::string& warning);
void ClosePictureSession(PictureSession& session);

// Renders through EGL with no display server, with the viewer's own
// drawing code, and writes the picture(s). 0 on success; 1 after a one-line
// report on standard error, with no picture written.
int RenderPictures(const PictureRequest& request);
