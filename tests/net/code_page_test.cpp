#include "net/code_page.h"

#include <gtest/gtest.h>

#include <string>

namespace vantrel {
namespace {

using namespace std::string_literals;

const std::string kZhongUtf8 = "\xE4\xB8\xAD";     // 中
const std::string kZhongLocal = "\xD6\xD0";        // 中 in GBK, unchanged in GB18030
const std::string kGrinUtf8 = "\xF0\x9F\x98\x80";  // U+1F600
const std::string kGrinLocal = "\x94\x39\xFC\x36";
const std::string kReplacementUtf8 = "\xEF\xBF\xBD";
const std::string kReplacementLocal = "\x84\x31\xA4\x37";

TEST(CodePage, EmptyInputsAndTheFirstZeroByte) {
    EXPECT_EQ(ToUtf16(""), "");  // no lone terminator unit
    EXPECT_EQ(ToUtf16("\0abc"s), "");
    EXPECT_EQ(ToUtf16("a\0b"s), "a\0\0\0"s);
    EXPECT_EQ(FromUtf16(""), "");
    EXPECT_EQ(FromUtf16("\0\0a\0"s), "");
    EXPECT_EQ(FromUtf16("a\0b\0\0\0c\0"s), "ab");
    EXPECT_EQ(Utf8ToLocal(""), "");
    EXPECT_EQ(Utf8ToLocal("ab\0cd"s), "ab");
    EXPECT_EQ(ToUtf8("ab\0cd"s), "ab");
}

TEST(CodePage, Utf16CarriesItsTerminatorUnlessAskedNot) {
    EXPECT_EQ(ToUtf16(kZhongLocal), "\x2D\x4E\0\0"s);
    EXPECT_EQ(ToUtf16(kZhongLocal, true), "\x2D\x4E");
    EXPECT_EQ(FromUtf16("\x2D\x4E\0\0"s), kZhongLocal);
    EXPECT_EQ(FromUtf16("\x2D\x4E"), kZhongLocal);          // no terminator: one is implied
    EXPECT_EQ(FromUtf16("\x3D\xD8\x00\xDE"s), kGrinLocal);  // surrogate pair
    EXPECT_EQ(FromUtf16("a\0b"s), "a");                     // odd byte is not a unit
}

TEST(CodePage, GbkBytesStayAndEmojiSurviveTheRoundTrip) {
    EXPECT_EQ(Utf8ToLocal(kZhongUtf8 + "a"), kZhongLocal + "a");
    EXPECT_EQ(Utf8ToLocal(kGrinUtf8), kGrinLocal);
    std::string title = "\xE7\x83\xAD\xE6\x90\x9C " + kGrinUtf8 + " #1";  // 热搜 😀 #1
    EXPECT_EQ(ToUtf8(Utf8ToLocal(title)), title);
    EXPECT_EQ(ToUtf8(FromUtf16(ToUtf16(Utf8ToLocal(title)))), title);
    const std::uint8_t bytes[] = {0xE4, 0xB8, 0xAD, 0x00, 0x41};
    EXPECT_EQ(Utf8ToLocal(std::span<const std::uint8_t>(bytes)), kZhongLocal);
}

TEST(CodePage, InvalidInputBecomesReplacementAndConversionGoesOn) {
    EXPECT_EQ(Utf8ToLocal("a\xFF"
                          "b"),
              "a" + kReplacementLocal + "b");
    EXPECT_EQ(Utf8ToLocal("a\xE4\xB8"), "a" + kReplacementLocal + kReplacementLocal);
    EXPECT_EQ(ToUtf8("a\x81"), "a" + kReplacementUtf8);  // lead byte at the very end
    EXPECT_EQ(ToUtf8("\xFF"
                     "a"),
              kReplacementUtf8 + "a");
    EXPECT_EQ(FromUtf16("\x3D\xD8"
                        "a\0"s),
              kReplacementLocal + "a");  // lone surrogate
    EXPECT_EQ(ToUtf16("\x80", true), "\xFD\xFF");
}

TEST(CodePage, LongInputConvertsCompletely) {
    std::string utf8;
    for (int i = 0; i < 200000; ++i)
        utf8 += (i % 7 == 0) ? kGrinUtf8 : kZhongUtf8 + "x";
    std::string local = Utf8ToLocal(utf8);
    EXPECT_EQ(local.size(), 200000 / 7 * 4 + 4 + (200000 - 200000 / 7 - 1) * 3);
    EXPECT_EQ(ToUtf8(local), utf8);
}

TEST(CodePage, DeclaredCharsetsDecodeToLocalText) {
    // Local text's own labels, in any case: nothing beyond GBK is lost.
    for (std::string label : {"gbk", "GBK", "gb2312", "X-GBK", "GB18030"}) {
        EXPECT_TRUE(IsLocalCharset(label)) << label;
        EXPECT_EQ(CharsetToLocal(kZhongLocal + kGrinLocal, label), kZhongLocal + kGrinLocal)
            << label;
    }
    EXPECT_FALSE(IsLocalCharset("gbk2"));
    EXPECT_FALSE(IsLocalCharset("utf-8"));
    // A byte-order mark in front is no part of the text; one further in is.
    EXPECT_EQ(CharsetToLocal("\xEF\xBB\xBF" + kZhongUtf8, "UTF-8"), kZhongLocal);
    EXPECT_EQ(CharsetToLocal("\xFF\xFE\x2D\x4E", "UTF-16"), kZhongLocal);
    EXPECT_EQ(CharsetToLocal("a\xEF\xBB\xBF", "utf-8"), "a\x84\x31\x95\x33");
    EXPECT_EQ(CharsetToLocal("x", "no-such-set"), std::nullopt);
}

}  // namespace
}  // namespace vantrel
