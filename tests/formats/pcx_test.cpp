#include <gtest/gtest.h>

#include "formats/pcx.h"
#include "support/test_files.h"

namespace {

bool Decode(const std::vector<uint8_t>& bytes, PcxImage& image)
{
    return DecodePcx(bytes.data(), bytes.size(), image);
}

std::vector<uint8_t> Picture(int bits, int planes, std::vector<uint8_t> indices, int width = 8, int height = 8)
{
    writers::PcxPicture pcx;
    pcx.width = width, pcx.height = height, pcx.bitsPerPixel = bits, pcx.planes = planes;
    pcx.indices = indices;
    return writers::WritePcx(pcx);
}

std::vector<uint8_t> Patched(std::vector<std::pair<size_t, int16_t>> fields)
{
    std::vector<uint8_t> bytes = TestPcx(8, 8);
    for (const auto& field : fields)
        writers::PutInt16(bytes, field.first, field.second);
    return bytes;
}

}  // namespace

TEST(PcxReader, DecodesRunsPalettesAndPlanes)
{
    PcxImage image;
    ASSERT_TRUE(Decode(TestPcx(70, 3), image));
    EXPECT_EQ(image.width * 10 + image.height, 703);
    EXPECT_EQ(image.indices[2 * 70 + 69], (69 + 2) % 256);
    ASSERT_EQ(image.palette.size(), 768u);
    EXPECT_EQ(image.palette[3 * 10], 245);  // TestPcx's palette is (255 - i, i, 7)
    ASSERT_TRUE(Decode(TestPcx(5, 4, false), image));  // version 3: the header's 16 colours
    EXPECT_EQ(image.palette.size(), 48u);
    EXPECT_EQ(image.indices[3 * 5 + 4], 7);
    // Four bits in two planes join into one index, plane 0 the high bits.
    ASSERT_TRUE(Decode(Picture(4, 2, {0xAB, 0x00, 0xCD, 0x00}, 2, 1), image));
    EXPECT_EQ(image.indices[0], 0xAC);
    EXPECT_EQ(image.indices[1], 0xBD);
}

TEST(PcxReader, RefusesImagesThatAreNotEightBitOrCannotBeFilled)
{
    std::vector<uint8_t> cut = TestPcx(8, 8);
    cut.resize(127);
    const std::vector<uint8_t> refused[] = {
        Picture(8, 3, std::vector<uint8_t>(64, 1)),                   // 24 bits
        Picture(1, 4, std::vector<uint8_t>(16, 1)),                   // 16 colours in planes
        Patched({{8, -1}, {10, -1}, {66, -1}}),                       // 65536 square, 65535-byte lines
        Patched({{8, 100}}),                                          // rows wider than their lines
        cut};
    PcxImage image;
    for (size_t i = 0; i < std::size(refused); ++i)
        EXPECT_FALSE(Decode(refused[i], image)) << i;
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
