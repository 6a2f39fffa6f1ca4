#include <gtest/gtest.h>

#include "base/text_encoding.h"

TEST(TextEncoding, RecognisesWellFormedUtf8Only) {
    EXPECT_TRUE(isValidUtf8(""));
    EXPECT_TRUE(isValidUtf8("plain ascii"));
    EXPECT_TRUE(
        isValidUtf8("21.4 \xC2\xB0"
                    "C"));
    EXPECT_TRUE(isValidUtf8("\xE2\x82\xAC \xF0\x9F\x8C\xA7"));  // euro sign, cloud with rain
    EXPECT_FALSE(
        isValidUtf8("21.4 \xB0"
                    "C"));                          // Windows-1252 degree sign
    EXPECT_FALSE(isValidUtf8("\xC0\xAF"));          // overlong slash
    EXPECT_FALSE(isValidUtf8("\xE0\x80\xAF"));      // overlong, three bytes
    EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));      // surrogate
    EXPECT_FALSE(isValidUtf8("\xF4\x90\x80\x80"));  // past U+10FFFF
    EXPECT_FALSE(isValidUtf8("\xE2\x82"));          // cut short at the end
    EXPECT_FALSE(isValidUtf8("\xE2\x28\xA1"));      // bad continuation
}

TEST(TextEncoding, ReadsWindows1252WhereTextIsNotUtf8) {
    EXPECT_EQ(windows1252ToUtf8("\xB0"
                                "C"),
              "\xC2\xB0"
              "C");
    EXPECT_EQ(windows1252ToUtf8("\x80"), "\xE2\x82\xAC");
    EXPECT_EQ(windows1252ToUtf8("\x9F\xFF"), "\xC5\xB8\xC3\xBF");
    EXPECT_EQ(windows1252ToUtf8("\x81"), "\xC2\x81");
    EXPECT_EQ(decodeFileText("Gr\xFC\xDF"
                             "e"),
              "Gr\xC3\xBC\xC3\x9F"
              "e");
    EXPECT_EQ(decodeFileText("Gr\xC3\xBC\xC3\x9F"
                             "e"),
              "Gr\xC3\xBC\xC3\x9F"
              "e");
    EXPECT_EQ(decodeFileText("\xEF\xBB\xBF[time]"), "[time]");
    EXPECT_EQ(std::string_view(decodeFileText(std::string("a\0b", 3))), std::string("a\0b", 3));
}
