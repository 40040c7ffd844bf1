#include "export/byte_skins.h"

#include <stb_rect_pack.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "export/export_mesh.h"
#include "export/game_looks.h"

namespace {

using Place = SkinPlace;

// The model's pictures' pixels: a skin kept only as its PNG file's bytes
// is decoded, once.
class Pixels {
public:
    explicit Pixels(const ModelObject& model) : model_(model) {}

    // A picture with its size, whether or not its pixels are decoded yet.
    const RgbImage* Known(int picture) const
    {
        if (picture < 0 || picture >= static_cast<int>(model_.skinPictures.size()))
            return nullptr;
        const RgbImage& image = model_.skinPictures[picture];
        return image.width > 0 && image.height > 0 && (!image.rgb.empty() || !image.png.empty()) ? &image : nullptr;
    }

    const RgbImage* Of(int picture)
    {
        if (picture < 0 || picture >= static_cast<int>(model_.skinPictures.size()))
            return nullptr;
        const RgbImage& image = model_.skinPictures[picture];
        if (!image.rgb.empty())
            return image.width > 0 ? &image : nullptr;
        auto found = decoded_.find(picture);
        if (found == decoded_.end()) {
            RgbImage pixels;
            if (image.png.empty() || !DecodePng(image.png.data(), image.png.size(), pixels, true))
                pixels = RgbImage();
            found = decoded_.emplace(picture, std::move(pixels)).first;
        }
        return found->second.rgb.empty() || found->second.width <= 0 ? nullptr : &found->second;
    }

private:
    const ModelObject& model_;
    std::map<int, RgbImage> decoded_;
};

int GlowOf(const ModelObject& model, int skin, int part)
{
    if (skin >= model.numSkins)
        return -1;
    int slot = model.drawn->parts[part].skinSlot;
    const std::vector<int32_t>& glows = model.skins[skin].partGlows;
    return slot >= 0 && slot < static_cast<int>(glows.size()) ? glows[slot] : -1;
}

// The parts' places: one a picture the first skin set wears (an 8-pixel
// square for parts of none), packed when there are several.
class Packing {
public:
    Packing(const ModelObject& model, const SkinRules& rules, Pixels& pixels)
        : model_(model), rules_(rules), pixels_(pixels)
    {
    }

    void Pack(std::vector<std::string>& notes)
    {
        const auto& parts = model_.drawn->parts;
        partKey_.assign(parts.size(), -2);
        for (size_t p = 0; p < parts.size(); ++p)
            if (HasTriangles(parts[p])) {
                const RgbImage* picture = pixels_.Known(PartPicture(model_, 0, static_cast<int>(p)));
                partKey_[p] = picture ? PartPicture(model_, 0, static_cast<int>(p)) : -1;
                places_.emplace(partKey_[p], Place());
            }
        if (places_.empty())
            places_.emplace(-1, Place());
        for (auto& [key, place] : places_) {
            const RgbImage* picture = pixels_.Known(key);
            place.width = picture ? picture->width : 8, place.height = picture ? picture->height : 8;
        }
        if (places_.size() > 1) {
            Arrange();
            notes.push_back(std::to_string(places_.size()) + " pictures packed into one skin of " +
                            std::to_string(width_) + " x " + std::to_string(height_));
        } else {
            width_ = places_.begin()->second.width, height_ = places_.begin()->second.height;
        }
        Fit(notes);
    }

    int Width() const { return width_; }
    int Height() const { return height_; }
    int KeyOf(size_t part) const { return partKey_[part]; }
    const Place& PlaceOf(int key) const { return places_.at(key); }
    const std::map<int, Place>& Places() const { return places_; }
    bool Packed() const { return places_.size() > 1; }

private:
    void Arrange()
    {
        std::vector<stbrp_rect> rects;
        long area = 0;
        int widest = 0, tallest = 0;
        for (const auto& [key, place] : places_) {
            rects.push_back({static_cast<int>(rects.size()), place.width, place.height, 0, 0, 0});
            area += long(place.width) * place.height, widest = std::max(widest, place.width);
            tallest += place.height;
        }
        int width = std::max(widest, static_cast<int>(std::ceil(std::sqrt(static_cast<double>(area)))));
        std::vector<stbrp_node> nodes(width);
        stbrp_context context;
        stbrp_init_target(&context, width, tallest, nodes.data(), width);
        stbrp_pack_rects(&context, rects.data(), static_cast<int>(rects.size()));
        width_ = height_ = 0;
        auto place = places_.begin();
        for (const stbrp_rect& rect : rects) {
            place->second.x = rect.x, place->second.y = rect.y;
            width_ = std::max(width_, rect.x + rect.w), height_ = std::max(height_, rect.y + rect.h);
            ++place;
        }
    }

    // Taller than the format takes: every place scaled down alike.
    void Fit(std::vector<std::string>& notes)
    {
        if (height_ > rules_.tallest) {
            double factor = static_cast<double>(rules_.tallest) / height_;
            for (auto& [key, place] : places_) {
                place.x = static_cast<int>(place.x * factor), place.y = static_cast<int>(place.y * factor);
                place.width = std::max(1, static_cast<int>(place.width * factor));
                place.height = std::max(1, static_cast<int>(place.height * factor));
            }
            notes.push_back("the skin scaled from " + std::to_string(width_) + " x " + std::to_string(height_) +
                            " to " + std::to_string(rules_.tallest) + " rows, the most the engines take" +
                            (rules_.ownSizes && places_.size() == 1 ? " (its true-colour picture kept whole)" : ""));
            width_ = std::max(1, static_cast<int>(width_ * factor)), height_ = rules_.tallest;
        }
        int step = std::max(1, rules_.widthStep);
        if (width_ % step) {
            notes.push_back("the skin widened from " + std::to_string(width_) + " to a multiple of " +
                            std::to_string(step) + " pixels");
            width_ += step - width_ % step;
        }
    }

    const ModelObject& model_;
    const SkinRules& rules_;
    Pixels& pixels_;
    std::map<int, Place> places_;  // by the first skin set's picture; -1 for parts of none
    std::vector<int> partKey_;     // by part; -2 for parts without triangles
    int width_ = 0, height_ = 0;
};

// A picture (or white, for none) drawn into its place, nearest pixel.
void Draw(const RgbImage* from, const Place& place, RgbImage& to, std::vector<uint8_t>* glows)
{
    for (int y = 0; y < place.height; ++y)
        for (int x = 0; x < place.width; ++x) {
            size_t at = size_t(place.y + y) * to.width + size_t(place.x + x);
            if (!from) {
                if (!glows)
                    std::fill_n(&to.rgb[3 * at], 3, uint8_t(255));
                continue;
            }
            size_t source = size_t(y * from->height / place.height) * from->width + size_t(x * from->width / place.width);
            const uint8_t* rgb = &from->rgb[3 * source];
            if (glows) {
                (*glows)[at] |= std::max({rgb[0], rgb[1], rgb[2]}) > 32;
                continue;
            }
            std::copy(rgb, rgb + 3, &to.rgb[3 * at]);
            if (!to.alpha.empty())
                to.alpha[at] = from->alpha.empty() ? 255 : from->alpha[source];
        }
}

// The one picture the skin is, as it is: its file's bytes kept, its
// pixels decoded only when a palette asks for them.
bool WholePicture(const Packing& packing, const RgbImage* picture, const SkinRules& rules)
{
    if (!picture || packing.Packed())
        return false;
    return rules.ownSizes || (picture->width == packing.Width() && picture->height == packing.Height());
}

ByteSkin MakeSkin(const ModelObject& model, const Packing& packing, const SkinRules& rules, Pixels& pixels, int skin)
{
    ByteSkin out;
    out.name = model.numSkins ? PlainSkinName(model, skin) : "default";
    const auto& parts = model.drawn->parts;
    const RgbImage* whole = nullptr;
    for (size_t p = 0; p < parts.size() && !whole; ++p)
        if (packing.KeyOf(p) != -2)
            whole = pixels.Known(PartPicture(model, skin, static_cast<int>(p)));
    size_t area = size_t(packing.Width()) * packing.Height();
    bool asItIs = WholePicture(packing, whole, rules);
    if (asItIs) {
        out.whole = whole;
        area = size_t(whole->width) * whole->height;
    } else {
        out.picture.width = packing.Width(), out.picture.height = packing.Height();
        out.picture.rgb.assign(3 * area, 0);
        for (size_t p = 0; p < parts.size(); ++p) {
            const RgbImage* picture = pixels.Known(PartPicture(model, skin, static_cast<int>(p)));
            if (picture && !picture->alpha.empty() && out.picture.alpha.empty())
                out.picture.alpha.assign(area, 255);
        }
    }
    out.glows.assign(area, 0);
    for (const auto& [key, place] : packing.Places()) {
        size_t p = 0;
        while (p < parts.size() && packing.KeyOf(p) != key)
            ++p;
        int part = static_cast<int>(p);
        if (!asItIs)
            Draw(p < parts.size() ? pixels.Of(PartPicture(model, skin, part)) : nullptr, place, out.picture, nullptr);
        const Place all = {0, 0, out.Picture().width, out.Picture().height};
        RgbImage shape;  // the glows' size alone
        shape.width = out.Picture().width;
        if (p < parts.size() && pixels.Of(GlowOf(model, skin, part)))
            Draw(pixels.Of(GlowOf(model, skin, part)), asItIs ? all : place, shape, &out.glows);
    }
    return out;
}

}  // namespace

bool HasTriangles(const DrawnPart& part)
{
    return !part.corners.empty() && part.triangles && !part.triangles->indices.empty();
}

struct SkinPacking::Inside {
    Inside(const ModelObject& model, const SkinRules& rules) : pixels(model), packing(model, rules, pixels) {}
    Pixels pixels;
    Packing packing;
};

SkinPacking::SkinPacking(const ModelObject& model, const SkinRules& rules)
    : model_(model), rules_(rules), inside_(std::make_unique<Inside>(model, rules))
{
}

SkinPacking::~SkinPacking() = default;

void SkinPacking::Pack(std::vector<std::string>& notes)
{
    inside_->packing.Pack(notes);
}

int SkinPacking::Width() const
{
    return inside_->packing.Width();
}

int SkinPacking::Height() const
{
    return inside_->packing.Height();
}

bool SkinPacking::Packed() const
{
    return inside_->packing.Packed();
}

const SkinPlace& SkinPacking::PlaceOfPart(size_t part) const
{
    return inside_->packing.PlaceOf(inside_->packing.KeyOf(part));
}

std::vector<ByteSkin> SkinPacking::Skins()
{
    std::vector<ByteSkin> skins;
    for (int skin = 0; skin < std::max(model_.numSkins, 1); ++skin)
        skins.push_back(MakeSkin(model_, inside_->packing, rules_, inside_->pixels, skin));
    return skins;
}

bool SkinPixels(ByteSkin& skin)
{
    if (!skin.whole)
        return true;
    const RgbImage& whole = *skin.whole;
    skin.whole = nullptr;
    if (!whole.rgb.empty()) {
        skin.picture = whole;
        return true;
    }
    return !whole.png.empty() && DecodePng(whole.png.data(), whole.png.size(), skin.picture, true) &&
           skin.picture.width == whole.width && skin.picture.height == whole.height;
}

ByteSkin FitSkin(const ByteSkin& skin, int width, int height)
{
    if (skin.picture.width == width && skin.picture.height == height)
        return skin;
    ByteSkin fitted;
    fitted.name = skin.name;
    fitted.picture.width = width, fitted.picture.height = height;
    fitted.picture.rgb.resize(3 * size_t(width) * height);
    if (!skin.picture.alpha.empty())
        fitted.picture.alpha.resize(size_t(width) * height);
    fitted.glows.resize(size_t(width) * height);
    Draw(&skin.picture, {0, 0, width, height}, fitted.picture, nullptr);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            fitted.glows[size_t(y) * width + x] =
                skin.glows[size_t(y * skin.picture.height / height) * skin.picture.width +
                           size_t(x * skin.picture.width / width)];
    return fitted;
}

