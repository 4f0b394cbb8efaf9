#include "net/local_text.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "net/pending_messages.h"

namespace vantrel {
namespace {

using namespace std::string_literals;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

const std::string kZhongWen = "\xD6\xD0\xCE\xC4";      // 中文
const std::string kGrin = "\x94\x39\xFC\x36";          // an emoji, four bytes in GB18030
const std::string kQuoteMarker = "#\xD2\xFD\xBA\xC5";  // #引号

// How many bytes the character at a position takes: one below 0x81, four
// for lead-digit-lead-digit, else two; never more than the text has left.
TEST(CharLength, WidthsAndTheTextsEnd) {
    EXPECT_EQ(CharLength("\x80x", 0), 1u);
    EXPECT_EQ(CharLength(kZhongWen, 0), 2u);
    EXPECT_EQ(CharLength(kGrin, 0), 4u);
    EXPECT_EQ(CharLength(std::string_view(kGrin).substr(0, 3), 0), 2u);  // too short for four
    EXPECT_EQ(CharLength("\x94\x39\xFF\x36", 0), 2u);                    // 0xFF leads nothing
    EXPECT_EQ(CharLength("\x94\x39\x80\x36", 0), 2u);
    EXPECT_EQ(CharLength("\x94\x39\xFE\x36", 0), 4u);
    EXPECT_EQ(CharLength("x\xD6", 1), 1u);  // a lead byte cut off at the end
}

TEST(SplitText, PiecesAndTheRest) {
    EXPECT_THAT(SplitText("a; b; ", "; "), ElementsAre("a", "b"));
    EXPECT_THAT(SplitText("a; ; b", "; "), ElementsAre("a", "", "b"));
    EXPECT_THAT(SplitText("", "; "), IsEmpty());
    EXPECT_THAT(SplitText("A: 1\r\nB: 2\r\n\r\n", "\r\n"), ElementsAre("A: 1", "B: 2", ""));
    EXPECT_THAT(SplitText("abc", ""), ElementsAre("abc"));
    // The ";" is the second byte of a two-byte character, not a delimiter.
    EXPECT_THAT(SplitText("\xD6;x;y", ";"), ElementsAre("\xD6;x", "y"));
}

TEST(Find, StartCaseAndCharacterBoundaries) {
    EXPECT_EQ(Find("abcabc", "bc"), 2);
    EXPECT_EQ(Find("abcabc", "bc", 3), 5);
    EXPECT_EQ(Find("abcabc", "bc", -7), 2);
    EXPECT_EQ(Find("abcabc", "bc", 6), -1);
    EXPECT_EQ(Find("abc", ""), -1);
    EXPECT_EQ(Find("xABC", "abc"), -1);
    EXPECT_EQ(Find("xABC", "abc", 1, true), 2);
    // The middle bytes of 中文 form no character.
    EXPECT_EQ(Find(kZhongWen, "\xD0\xCE"), -1);
    EXPECT_EQ(Find(kZhongWen, "\xCE\xC4"), 3);
    EXPECT_EQ(Find("a" + kZhongWen, "\xCE\xC4", 4), 4);  // start inside a character
    // A trail byte that looks like a letter is not folded: 0x8141 and 0x8161
    // are different characters.
    EXPECT_EQ(Find("\x81"
                   "a",
                   "\x81"
                   "A",
                   1, true),
              -1);
    EXPECT_EQ(Find("\x81"
                   "a"
                   "a",
                   "A", 1, true),
              3);
    // Nor does a match start on the third byte of a four-byte character.
    EXPECT_EQ(Find(kGrin + "\xFC\x36", "\xFC\x36"), 5);
    EXPECT_EQ(Find(kGrin, "6"), -1);
    EXPECT_EQ(Find("ab\x81", "\x81"), 3);  // a lead byte at the very end stands alone
    // An emoji that ends the text is still one character.
    EXPECT_EQ(Find("a" + kGrin, kGrin.substr(2)), -1);
    EXPECT_EQ(Find("a" + kGrin, kGrin), 2);
}

TEST(TextBefore, ForwardByDefaultBackwardWithNegativeStart) {
    const std::string t = "a=1&b=2&c=3";  // "&" at 4 and 8, length 11
    EXPECT_EQ(TextBefore(t, "&"), "a=1");
    EXPECT_EQ(TextBefore(t, "&", 1), "a=1");
    EXPECT_EQ(TextBefore(t, "&", 5), "a=1&b=2");
    EXPECT_EQ(TextBefore(t, "&", -1), "a=1&b=2");
    EXPECT_EQ(TextBefore(t, "&", -3), "a=1&b=2");  // the first 8 bytes hold the second "&"
    EXPECT_EQ(TextBefore(t, "&", -4), "a=1");      // the first 7 bytes do not
    EXPECT_EQ(TextBefore(t, "&", -11), "");
    EXPECT_EQ(TextBefore(t, "#"), "");
    EXPECT_EQ(TextBefore("xAy", "a", 0, true), "x");
}

TEST(TextAfter, BackwardByDefaultForwardWithNegativeStart) {
    const std::string t = "a=1&b=2&c=3";
    EXPECT_EQ(TextAfter(t, "&"), "c=3");
    EXPECT_EQ(TextAfter(t, "&", 3), "c=3");      // the first 8 bytes hold the second "&"
    EXPECT_EQ(TextAfter(t, "&", 4), "b=2&c=3");  // the first 7 bytes do not
    EXPECT_EQ(TextAfter(t, "&", 11), "");
    EXPECT_EQ(TextAfter(t, "&", 500), "");
    EXPECT_EQ(TextAfter(t, "&", -1), "b=2&c=3");
    EXPECT_EQ(TextAfter(t, "&", -5), "c=3");  // forward from position 5
    EXPECT_EQ(TextAfter(t, "&", -9), "");
    EXPECT_EQ(TextAfter(t, "#"), "");
    // The last match must still start on a boundary of the whole text.
    EXPECT_EQ(TextAfter("x" + kGrin + "y", "\xFC\x36"), "");
}

TEST(TextBetween, MarkersQuotePlaceholderAndStart) {
    const std::string json = "{\"id\":42,\"name\":\"x\"}";
    EXPECT_EQ(TextBetween(json, kQuoteMarker + "id" + kQuoteMarker + ":", ","), "42");
    EXPECT_EQ(TextBetween(json, "name\":\"", kQuoteMarker), "x");
    EXPECT_EQ(TextBetween("[a][b]", "[", "]", 2), "b");
    EXPECT_EQ(TextBetween("[a", "[", "]"), "");
    EXPECT_EQ(TextBetween("a]", "[", "]"), "");
    EXPECT_EQ(TextBetween("<X>v</x>", "<x>", "</X>", 1, true), "v");
    EXPECT_EQ(TextBetween("[]", "[", "]"), "");
}

TEST(TrimAndCapitalize, BlanksAndFirstLetter) {
    EXPECT_EQ(TrimBlanks(" \xA1\xA1"
                         "a b\xA1\xA1 "),
              "a b");
    EXPECT_EQ(TrimBlanks("\tx\r\n"), "\tx\r\n");
    EXPECT_EQ(TrimBlanks("   "), "");
    // 啊 (0xB0 0xA1) then a lone 0xA1: no full-width blank there.
    EXPECT_EQ(TrimBlanks("\xB0\xA1\xA1"), "\xB0\xA1\xA1");
    EXPECT_EQ(TrimBlanks("\xB0\xA1\xA1\xA1"), "\xB0\xA1");
    // Only A1 A1 is the full-width blank: the ideographic comma A1 A2 stays.
    EXPECT_EQ(TrimBlanks(" \xA1\xA2x\xA1\xA2 "), "\xA1\xA2x\xA1\xA2");
    EXPECT_EQ(CapitalizeFirst("aBC-d"), "ABC-d");
    EXPECT_EQ(CapitalizeFirst(""), "");
    EXPECT_EQ(CapitalizeFirst(kZhongWen), kZhongWen);
    EXPECT_THAT(SplitCharacters("a\r\n" + kZhongWen + kGrin + "\r"),
                ElementsAre("a", "\r\n", "\xD6\xD0", "\xCE\xC4", kGrin, "\r"));
}

TEST(ReplaceAll, EveryOccurrenceOnBoundaries) {
    EXPECT_EQ(ReplaceAll("a-b-c", "-", "+"), "a+b+c");
    EXPECT_EQ(ReplaceAll("Set-Cookie: x SET-COOKIE:", "set-cookie:", "", true), " x ");
    EXPECT_EQ(ReplaceAll("\xD6-"
                         "-",
                         "-", "+"),
              "\xD6-"
              "+");
}

TEST(CutAllBetween, WordsAndEveryOption) {
    const std::string answer =
        "{\"word\":\"one\",\"word\":\"two\",\"x\":\"no\",\"word\":\"three\"}";
    EXPECT_THAT(CutAllBetween(answer, "word\":\"", "\""), ElementsAre("one", "two", "three"));
    EXPECT_THAT(CutAllBetween("nothing here", "word\":\"", "\""), IsEmpty());
    EXPECT_THAT(CutAllBetween("[a][b", "[", "]"), ElementsAre("a"));

    CutOptions wrap;
    wrap.prefix = "<";
    wrap.suffix = ">";
    wrap.withLeft = true;
    wrap.withRight = true;
    EXPECT_THAT(CutAllBetween("[a][bc]", "[", "]", wrap), ElementsAre("[<a>]", "[<bc>]"));

    CutOptions shortOnes;
    shortOnes.maxLength = 3;
    EXPECT_THAT(CutAllBetween("[ab][abc][a]", "[", "]", shortOnes), ElementsAre("ab", "a"));

    CutOptions fromFour;
    fromFour.start = 4;
    EXPECT_THAT(CutAllBetween("[a][b]", "[", "]", fromFour), ElementsAre("b"));

    CutOptions anyCase;
    anyCase.ignoreCase = true;
    EXPECT_THAT(CutAllBetween("URL=http1&AMP url=http2&amp", "url=http", "&amp", anyCase),
                ElementsAre("1", "2"));
}

TEST(CutAllBetween, NextSearchStartsAfterTheLeftMarker) {
    // The second "a" lies inside the first item and starts an item of its own.
    EXPECT_THAT(CutAllBetween("a1a2b", "a", "b"), ElementsAre("1a2", "2"));
    EXPECT_THAT(CutAllBetween("<<x>>", "<", ">"), ElementsAre("<x", "x"));
}

TEST(CutAllBetween, LetsPendingMessagesRunBetweenItems) {
    int calls = 0;
    SetPendingMessagesHook([&] { ++calls; });
    CutAllBetween("[a][b][c]", "[", "]");
    SetPendingMessagesHook({});
    EXPECT_EQ(calls, 9);
}

TEST(CutAllBetween, LongAnswerGivesEveryItem) {
    std::string answer;
    for (int i = 0; i < 100000; ++i)
        answer += "\"word\":\"" + kZhongWen + std::to_string(i) + "\",";
    std::vector<std::string> words = CutAllBetween(answer, "word\":\"", "\"");
    ASSERT_EQ(words.size(), 100000u);
    EXPECT_EQ(words.back(), kZhongWen + "99999");
}

}  // namespace
}  // namespace vantrel
