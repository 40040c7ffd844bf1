#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "platform/endian.h"

namespace {

FILE* FileWith(std::initializer_list<uint8_t> bytes)
{
    FILE* file = tmpfile();
    for (uint8_t b : bytes)
        fputc(b, file);
    rewind(file);
    return file;
}

}  // namespace

TEST(EndianReading, ReadsLittleEndianValuesAndShortReadsGiveZero)
{
    FILE* file = FileWith({0x49, 0x44, 0x50, 0x32, 0x34, 0x12, 0xAB});
    int32_t word = 0, untouched = 0x01020304;
    int16_t half = 0;
    EXPECT_EQ(EndianFRead32(&word, 4, 1, file), 1u);
    EXPECT_EQ(EndianFRead16(&half, 2, 1, file), 1u);
    EXPECT_EQ(EndianFRead32(&untouched, 4, 1, file), 0u);
    EXPECT_EQ(word, 0x32504449);
    EXPECT_EQ(half, 0x1234);
    fclose(file);
    uint8_t vector[12] = {1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0};
    EndianSwapVec3(vector);
    int32_t values[3];
    memcpy(values, vector, sizeof values);
    EXPECT_EQ(values[2], 3);
}

TEST(EndianReadingDeathTest, WrongItemSizeEndsTheProgramWithStatusOne)
{
    int32_t word;
    EXPECT_EXIT((dup2(2, 1), EndianFRead32(&word, 4, 2, FileWith({1, 2, 3, 4, 5, 6, 7, 8}))),
                testing::ExitedWithCode(1), "Error: EndianFRead32: bad parameters for data size");
    EXPECT_EXIT((dup2(2, 1), EndianFRead16(&word, 4, 1, FileWith({1, 2}))), testing::ExitedWithCode(1),
                "Error: EndianFRead16: bad parameters for data size");
}
