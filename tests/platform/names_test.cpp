// Names from files as text: what no reader may pass on is bytes that are not UTF-8.
#include <gtest/gtest.h>

#include "platform/names.h"

TEST(Names, BytesBecomeTextAndKeepWhatIsTextAlready)
{
    const struct {
        std::string bytes;
        size_t field;
        std::string text;
    } cases[] = {
        {std::string("run1\0junk", 9), 16, "run1"},                      // cut at its NUL
        {"2flags_w_laser_0", 16, "2flags_w_laser_0"},                    // no NUL: the field's length
        {"abcdefgh", 4, "abcd"},                                         // cut at the field's end
        {"caf\xC3\xA9", 16, "caf\xC3\xA9"},                              // UTF-8 kept
        {"caf\xE9", 16, "caf\xC3\xA9"},                                  // Latin-1 made UTF-8
        {"\xC2\xC8\x92", 16, "\xC3\x82\xC8\x92"},                        // a lead byte with no follower
        {"\xE2\x82", 16, "\xC3\xA2?"},                                   // a sequence cut short
        {"\xC0\xAF\xED\xA0\x80", 16, "\xC3\x80\xC2\xAF\xC3\xAD\xC2\xA0?"},  // overlong, surrogate
        {"\x1b[31m\x7F\x85\xC2\x85", 16, "?[31m???"},                    // control characters, Latin-1's too
        {"\xF0\x9F\x98\x80", 16, "\xF0\x9F\x98\x80"},                    // four bytes
    };
    for (const auto& c : cases)
        EXPECT_EQ(TextName(c.bytes.data(), c.field), c.text) << c.bytes;
}

TEST(Names, TextIsCutBetweenCharacters)
{
    EXPECT_EQ(FirstCharacters("\xC3\xA9t\xC3\xA9", 2), "\xC3\xA9t");
    char field[4];
    CopyText(field, sizeof field, "a\xC3\xA9\xC3\xA9");
    EXPECT_STREQ(field, "a\xC3\xA9");
    CopyText(field, sizeof field, "ab\xE2\x82\xAC");
    EXPECT_STREQ(field, "ab");
}
