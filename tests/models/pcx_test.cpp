#include <gtest/gtest.h>

#include "models/pcx.h"
#include "support/test_files.h"

namespace {

bool Decode(const std::vector<uint8_t>& bytes, PcxImage& image)
{
    return DecodePcx(bytes.data(), bytes.size(), image);
}

}  // namespace

TEST(PcxReader, DecodesRunsAndTheTrailing256ColourPalette)
{
    PcxImage image;
    ASSERT_TRUE(Decode(TestPcx(70, 3), image));
    EXPECT_EQ(image.width, 70);
    EXPECT_EQ(image.height, 3);
    EXPECT_EQ(image.indices[2 * 70 + 69], (69 + 2) % 256);
    ASSERT_EQ(image.palette.size(), 768u);
    EXPECT_EQ(image.palette[3 * 10], 245);  // TestPcx's palette is (255 - i, i, 7)

    ASSERT_TRUE(Decode(TestPcx(5, 4, false), image));  // version 3: the header's 16 colours
    EXPECT_EQ(image.palette.size(), 48u);
    EXPECT_EQ(image.indices[3 * 5 + 4], 7);
}

TEST(PcxReader, RefusesImagesThatAreNotEightBitOrCannotBeFilled)
{
    PcxImage image;
    writers::PcxPicture threePlanes;
    threePlanes.planes = 3;
    threePlanes.indices.assign(64, 1);
    EXPECT_FALSE(Decode(writers::WritePcx(threePlanes), image));
    writers::PcxPicture sixteenColours;
    sixteenColours.bitsPerPixel = 1;
    sixteenColours.planes = 4;
    sixteenColours.indices.assign(16, 1);
    EXPECT_FALSE(Decode(writers::WritePcx(sixteenColours), image));

    std::vector<uint8_t> huge = TestPcx(8, 8);
    writers::PutInt16(huge, 8, -1);   // xMax 65535
    writers::PutInt16(huge, 10, -1);  // yMax 65535
    writers::PutInt16(huge, 66, -1);  // 65535 bytes a line
    EXPECT_FALSE(Decode(huge, image));
    std::vector<uint8_t> wide = TestPcx(8, 8);
    writers::PutInt16(wide, 8, 100);  // rows wider than their scan lines
    EXPECT_FALSE(Decode(wide, image));
    EXPECT_FALSE(Decode(std::vector<uint8_t>(wide.begin(), wide.begin() + 127), image));
}

TEST(PcxReader, FourBitsInTwoPlanesJoinIntoOneIndex)
{
    writers::PcxPicture pcx;
    pcx.width = 2;
    pcx.height = 1;
    pcx.bitsPerPixel = 4;
    pcx.planes = 2;
    pcx.indices = {0xAB, 0x00, 0xCD, 0x00};  // plane 0 then plane 1, two bytes a line
    PcxImage image;
    ASSERT_TRUE(Decode(writers::WritePcx(pcx), image));
    EXPECT_EQ(image.indices[0], 0xAC);
    EXPECT_EQ(image.indices[1], 0xBD);
}

TEST(PcxReader, SkinsAreTheTopLeftBlockAndNeverLarger)
{
    PcxImage image;
    ASSERT_TRUE(Decode(TestPcx(320, 200), image));
    std::vector<uint8_t> block;
    EXPECT_FALSE(CropPcxImage(image, 296, 240, block));
    ASSERT_TRUE(CropPcxImage(image, 296, 200, block));
    EXPECT_EQ(block.size(), 296u * 200);
    EXPECT_EQ(block[199 * 296 + 295], (295 + 199) % 256);
    ASSERT_TRUE(CropPcxImage(image, 10, 5, block));
    EXPECT_EQ(block[4 * 10 + 9], 13);
}
