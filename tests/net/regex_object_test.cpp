#include "net/regex_object.h"

#include <gtest/gtest.h>

#include "net/code_page.h"

namespace vantrel {
namespace {

std::string Local(std::string_view utf8) {
    return Utf8ToLocal(utf8);
}

constexpr std::string_view kCharsetPattern = "<meta.+?charset=[^\\w]?([-\\w]+)";

TEST(RegexObject, FindsTheDeclaredCharsetOfAPage) {
    RegexObject regex;
    ASSERT_TRUE(regex.Search(kCharsetPattern, "<META content=text/html;charset=UTF-8>"));
    EXPECT_EQ(regex.SubMatchText(1, 1), "UTF-8");
    ASSERT_TRUE(regex.Search(kCharsetPattern, "<meta charset=gbk>"));
    EXPECT_EQ(regex.SubMatchText(1, 1), "gbk");
    ASSERT_TRUE(regex.Search(kCharsetPattern, "<meta charset=\"utf-8\">"));
    EXPECT_EQ(regex.SubMatchText(1, 1), "utf-8");
    // No match is still a successful run, with nothing in it.
    ASSERT_TRUE(regex.Search(kCharsetPattern, "<html><p>plain</p>"));
    EXPECT_EQ(regex.MatchCount(), 0);
    EXPECT_EQ(regex.SubMatchText(1, 1), "");
    EXPECT_EQ(regex.SubMatchCount(), 0);
}

TEST(RegexObject, DefaultsIgnoreCaseSpanLinesAndFindEveryMatch) {
    RegexObject regex;
    ASSERT_TRUE(regex.Search("^a(\\d)", "A1 x\na2\nb3"));
    ASSERT_EQ(regex.MatchCount(), 2);
    EXPECT_EQ(regex.MatchText(1), "A1");
    EXPECT_EQ(regex.SubMatchText(2, 1), "2");
    EXPECT_EQ(regex.SubMatchCount(), 1);

    ASSERT_TRUE(regex.Search("^a(\\d)", "A1 x\na2", /*caseSensitive=*/true));
    EXPECT_EQ(regex.MatchCount(), 1);
    EXPECT_EQ(regex.MatchText(1), "a2");
    ASSERT_TRUE(regex.Search("^a\\d", "a1\na2", false, /*multiline=*/false));
    EXPECT_EQ(regex.MatchCount(), 1);
    ASSERT_TRUE(regex.Search("a\\d", "a1 a2 a3", false, true, /*global=*/false));
    EXPECT_EQ(regex.MatchCount(), 1);
    // An empty match moves on by one character instead of looping.
    ASSERT_TRUE(regex.Search("x*", Local("中b")));
    EXPECT_EQ(regex.MatchCount(), 3);
}

TEST(RegexObject, QuoteMarkerStandsForADoubleQuoteOnlyWhenAsked) {
    const std::string pattern = Local("id=#引号(\\w+)#引号");
    const std::string subject = Local("id=\"k7\" or id=#引号k8#引号");
    RegexObject regex;
    ASSERT_TRUE(regex.Search(pattern, subject, false, true, true, /*quoteMarker=*/true));
    ASSERT_EQ(regex.MatchCount(), 1);
    EXPECT_EQ(regex.SubMatchText(1, 1), "k7");
    EXPECT_EQ(regex.GetPattern(), "id=\"(\\w+)\"");
    ASSERT_TRUE(regex.Search(pattern, subject));
    ASSERT_EQ(regex.MatchCount(), 1);
    EXPECT_EQ(regex.SubMatchText(1, 1), "k8");
    EXPECT_EQ(regex.GetPattern(), pattern);
}

TEST(RegexObject, PositionsAreByteOffsetsInTheLocalSubject) {
    RegexObject regex;
    int position = 0;
    ASSERT_TRUE(regex.Search("a", Local("中a")));
    EXPECT_EQ(regex.MatchText(1, &position), "a");
    EXPECT_EQ(position, 2);

    // Repeated texts each get their own offset, groups too.
    ASSERT_TRUE(regex.Search("(a)", Local("a中a😀a")));
    ASSERT_EQ(regex.MatchCount(), 3);
    regex.MatchText(2, &position);
    EXPECT_EQ(position, 3);
    regex.SubMatchText(3, 1, &position);
    EXPECT_EQ(position, 8);  // the emoji is four bytes of local text

    ASSERT_TRUE(regex.Search("\n(x)", "a\r\nx"));
    EXPECT_EQ(regex.MatchText(1, &position), "\nx");
    EXPECT_EQ(position, 2);

    ASSERT_TRUE(regex.Search("a(a)", "aa"));
    EXPECT_EQ(regex.SubMatchText(1, 1, &position), "a");
    EXPECT_EQ(position, 1);

    // Matched text comes back as local text, whole characters.
    ASSERT_TRUE(regex.Search(".(.)", Local("热搜榜")));
    EXPECT_EQ(regex.MatchText(1), Local("热搜"));
    EXPECT_EQ(regex.SubMatchText(1, 1), Local("搜"));

    EXPECT_EQ(regex.MatchText(9, &position), "");
    EXPECT_EQ(position, -1);
    EXPECT_EQ(regex.SubMatchText(1, 5, &position), "");
    EXPECT_EQ(position, -1);
}

TEST(RegexObject, SubstituteAllExpandsGroupsAndLeavesTheSubject) {
    RegexObject regex;
    ASSERT_TRUE(regex.Search("(\\w)=(\\d)", Local("a=1; 中=2; b=3")));
    EXPECT_EQ(regex.SubstituteAll("$2:$1"), Local("1:a; 中=2; 3:b"));
    EXPECT_EQ(regex.SubstituteAll("[$&]$$ $9"), Local("[a=1]$ $9; 中=2; [b=3]$ $9"));
    ASSERT_TRUE(regex.Search("b", "abc"));
    EXPECT_EQ(regex.SubstituteAll("<$`|$'>"), "a<a|c>c");
    EXPECT_EQ(regex.MatchText(1), "b");
    // The ninth group is a group; "$0" is none.
    ASSERT_TRUE(regex.Search("(a)(b)(c)(d)(e)(f)(g)(h)(i)", "abcdefghi"));
    EXPECT_EQ(regex.SubstituteAll("$9$1$0"), "ia$0");
}

TEST(RegexObject, BadPatternFailsQuietly) {
    RegexObject regex;
    EXPECT_EQ(regex.MatchCount(), 0);
    EXPECT_EQ(regex.GetPattern(), "");
    EXPECT_FALSE(regex.Search("(unclosed", "unclosed"));
    EXPECT_EQ(regex.GetPattern(), "(unclosed");
    EXPECT_EQ(regex.MatchCount(), 0);
    EXPECT_EQ(regex.MatchText(1), "");
    EXPECT_EQ(regex.SubstituteAll("x"), "");
    // A cut character in the subject is matched around, not crashed on.
    EXPECT_TRUE(regex.Search("a", std::string("a\xD6", 2)));
    EXPECT_EQ(regex.MatchCount(), 1);
}

TEST(RegexObject, CopiesAreIndependentValues) {
    RegexObject first;
    ASSERT_TRUE(first.Search("(\\d+)", "x12 y34"));
    RegexObject copy = first;
    ASSERT_TRUE(copy.Search("y", "yy"));
    EXPECT_EQ(first.MatchCount(), 2);
    EXPECT_EQ(first.SubMatchText(2, 1), "34");
    EXPECT_EQ(first.GetPattern(), "(\\d+)");
    EXPECT_EQ(copy.MatchCount(), 2);
    first = copy;
    EXPECT_EQ(first.GetPattern(), "y");
}

}  // namespace
}  // namespace vantrel
