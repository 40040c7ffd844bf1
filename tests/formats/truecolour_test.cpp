#include <gtest/gtest.h>

#include "formats/truecolour.h"
#include "looks/skins.h"
#include "render/animation.h"
#include "render/textures.h"
#include "scene/model_list.h"
#include "scene/skins.h"
#include "state/viewer_state.h"
#include "support/gl_context.h"
#include "support/image_files.h"
#include "support/test_files.h"

namespace {

// Pixels in threes along each row: (x / 3, y, x / 3 ^ y) scaled into a byte.
std::vector<uint8_t> Pattern(int width, int height)
{
    std::vector<uint8_t> rgb;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            rgb.insert(rgb.end(),
                       {uint8_t(x / 3 * 255 / width), uint8_t(y * 255 / height), uint8_t((x / 3 ^ y) & 0xFF)});
    return rgb;
}

class TrueColour : public ViewerTest {
protected:
    ModelObject* LoadWithSkin(const std::string& skinName, int skinWidth = 8, int skinHeight = 8)
    {
        writers::Md2Model model = TinyMd2();
        model.skins = {skinName};
        model.skinWidth = skinWidth;
        model.skinHeight = skinHeight;
        return Load(model, "models/thing/tris.md2");
    }
};

}  // namespace

TEST(TrueColourDecoding, PngJpegAndBothKindsOfTga)
{
    std::vector<uint8_t> rgb = Pattern(20, 10);
    RgbImage image;
    std::vector<uint8_t> png = EncodePng(20, 10, rgb);
    ASSERT_TRUE(DecodePng(png.data(), png.size(), image));
    EXPECT_EQ(image.rgb, rgb);
    for (int bits : {24, 32})
        for (bool runLength : {false, true}) {
            std::vector<uint8_t> tga = EncodeTga(20, 10, rgb, bits, runLength);
            ASSERT_TRUE(DecodeTga(tga.data(), tga.size(), image)) << bits << runLength;
            EXPECT_EQ(image.rgb, rgb) << bits << runLength;  // bottom-up rows turned over
        }
    std::vector<uint8_t> jpeg = EncodeJpeg(20, 10, rgb);
    ASSERT_TRUE(DecodeJpeg(jpeg.data(), jpeg.size(), image));
    EXPECT_NEAR(image.rgb[3 * 19], rgb[3 * 19], 12);

    // Grey, as Nexuiz's player textures are: raw of 8 bits, run-length of 16 (grey, alpha); top row first.
    const std::vector<uint8_t> header = {0, 0, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 1, 0, 8, 0x20};
    std::vector<uint8_t> grey = header, greyAlpha = header;
    grey.insert(grey.end(), {10, 200});
    greyAlpha[2] = 11, greyAlpha[16] = 16;
    greyAlpha.insert(greyAlpha.end(), {0x81, 50, 128});
    ASSERT_TRUE(DecodeTga(grey.data(), grey.size(), image));
    EXPECT_EQ(image.rgb, (std::vector<uint8_t>{10, 10, 10, 200, 200, 200}));
    ASSERT_TRUE(DecodeTga(greyAlpha.data(), greyAlpha.size(), image, true));
    EXPECT_EQ(image.rgb, (std::vector<uint8_t>{50, 50, 50, 50, 50, 50}));
    EXPECT_EQ(image.alpha, (std::vector<uint8_t>{128, 128}));

    std::vector<uint8_t> cut = EncodeTga(20, 10, rgb, 24, true);
    cut.resize(cut.size() - 5);
    EXPECT_FALSE(DecodeTga(cut.data(), cut.size(), image));
    EXPECT_FALSE(DecodePng(jpeg.data(), jpeg.size(), image));
    EXPECT_FALSE(DecodeJpeg(png.data(), png.size(), image));
}

TEST_F(TrueColour, SkinsWithoutExtensionFindPngTgaOrJpegBesideTheModel)
{
    const struct {
        const char* skinName;
        const char* file;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {".body", "body.png", EncodePng(8, 8, Pattern(8, 8))},
        {"models/thing/skin2.tga", "skin2.tga", EncodeTga(8, 8, Pattern(8, 8), 32, true)},
        {"face.pcx", "face.jpg", EncodeJpeg(8, 8, Pattern(8, 8))},
        {"plain", "plain.tga", EncodeTga(8, 8, Pattern(8, 8), 24, false)},
    };
    for (const auto& c : cases) {
        std::string path = dir.Write(std::string("models/thing/") + c.file, c.bytes);
        ModelObject* model = LoadWithSkin(c.skinName);
        ASSERT_NE(model, nullptr);
        ASSERT_EQ(model->numSkins, 1) << c.skinName;
        EXPECT_STREQ(model->skins[0].name, c.file);
        EXPECT_TRUE(model->texturing);
        RemoveModel();
        std::remove(path.c_str());
    }
}

TEST_F(TrueColour, AHighResolutionSkinIsUsedWholeAndBrokenOnesAreRefused)
{
    std::vector<uint8_t> rgb = Pattern(512, 512);
    dir.Write("models/thing/body.png", EncodePng(512, 512, rgb));
    ModelObject* model = LoadWithSkin(".body", 256, 256);
    ASSERT_NE(model, nullptr);
    ASSERT_EQ(model->numSkins, 1);
    int width = 0, height = 0;
    std::vector<uint8_t> texels = TextureRgb(model->skins[0].textureId, &width, &height);
    EXPECT_EQ(std::make_pair(width, height), std::make_pair(512, 512));
    EXPECT_EQ(std::vector<uint8_t>(texels.begin(), texels.begin() + 3),
              std::vector<uint8_t>(rgb.begin(), rgb.begin() + 3));
    std::string tga = dir.Write("extra.tga", EncodeTga(300, 100, Pattern(300, 100), 24, false));
    AddSkin(tga.c_str());  // "Load Skin" takes true colour whole, whatever its size
    EXPECT_EQ(model->numSkins, 2);
    ErrorCapture errors;
    std::vector<uint8_t> png = EncodePng(8, 8, Pattern(8, 8));
    png.resize(png.size() / 2);
    std::string broken = dir.Write("broken.png", png);
    AddSkin(broken.c_str());
    EXPECT_TRUE(errors.Has("Unable to open add skin " + broken));
    EXPECT_EQ(model->numSkins, 2);
}
