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
    EXPECT_EQ(decodeText("Gr\xFC\xDF"
                         "e"),
              "Gr\xC3\xBC\xC3\x9F"
              "e");
    EXPECT_EQ(decodeText("Gr\xC3\xBC\xC3\x9F"
                         "e"),
              "Gr\xC3\xBC\xC3\x9F"
              "e");
    EXPECT_EQ(std::string_view(decodeText(std::string("a\0b", 3))), std::string("a\0b", 3));
}

TEST(TextEncoding, WritesWindows1252WhereEveryCharacterFits) {
    // Every byte of Windows-1252 goes there and back, the five unassigned ones included.
    std::string all;
    for (int byte = 1; byte < 256; ++byte) {
        all += static_cast<char>(byte);
    }
    std::string back;
    ASSERT_TRUE(utf8ToWindows1252(windows1252ToUtf8(all), back));
    EXPECT_EQ(back, all);
    EXPECT_FALSE(
        utf8ToWindows1252("\xC5\x81\xC3\xB3"
                          "d\xC5\xBA",
                          back));                               // "Łódź"
    EXPECT_FALSE(utf8ToWindows1252("\xF0\x9F\x8C\xA7", back));  // outside the BMP
}
