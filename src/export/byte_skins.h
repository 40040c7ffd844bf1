#pragma once

// The one skin picture a skin set of the formats that hold one (MD2, MDL):
// every part's picture packed into it (stb_rect_pack), as a format asks.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "formats/truecolour.h"
#include "model/model.h"

struct ByteSkin {
    std::string name;  // the skin set's, fit for a file name
    // skinWidth x skinHeight, with alpha when a part's picture has it; or
    // the model's one picture the skin is (whole), as it is, perhaps its
    // PNG file's bytes alone (SkinPixels decodes it into picture).
    RgbImage picture;
    const RgbImage* whole = nullptr;
    std::vector<uint8_t> glows;  // a byte a pixel: 1 where the source glows in the dark
    const RgbImage& Picture() const { return whole ? *whole : picture; }
};

// What a format asks of its skin: a width that is a multiple of widthStep,
// at most tallest rows (a taller one scaled down), texture coordinates
// inside the picture (inside: the last pixel's far edge is not), and
// whether a skin set of one picture keeps that picture's own size (MD2's
// true-colour skins are files of their own, whose size the modern engines
// take; its PCX and MDL's skins have the header's).
struct SkinRules {
    int widthStep = 1;
    int tallest = 480;
    bool inside = false;
    bool ownSizes = false;
};

// A part's picture's place in the skin.
struct SkinPlace {
    int x = 0, y = 0, width = 0, height = 0;
};

// A place a picture the first skin set wears (an 8-pixel square for parts
// of none), packed when there are several, the skin fit to the rules; what
// it changed in notes. Then a skin a skin set, at least one.
class SkinPacking {
public:
    SkinPacking(const ModelObject& model, const SkinRules& rules);
    ~SkinPacking();
    void Pack(std::vector<std::string>& notes);
    int Width() const;
    int Height() const;
    bool Packed() const;
    const SkinPlace& PlaceOfPart(size_t part) const;
    std::vector<ByteSkin> Skins();

private:
    struct Inside;
    const ModelObject& model_;
    const SkinRules& rules_;
    std::unique_ptr<Inside> inside_;
};

// A part the formats write: one with triangles.
bool HasTriangles(const DrawnPart& part);

// A skin's pixels in picture, decoded when the picture it is holds its PNG
// file's bytes alone; false when they cannot be.
bool SkinPixels(ByteSkin& skin);
// The skin (its pixels decoded) drawn at another size, nearest pixel.
ByteSkin FitSkin(const ByteSkin& skin, int width, int height);

