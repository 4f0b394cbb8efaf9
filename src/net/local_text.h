#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// Operations on local (GB18030) text, by bytes. Positions are 1-based, -1
// when nothing is found. A match may only start on a character boundary of
// the searched text, counted from its first byte, so a search never finds a
// needle inside a multi-byte character. An empty needle or marker is never
// found.

// Bytes of the character that starts at i. Every byte of 0x81 or more starts a
// two-byte character, as in GBK; a lead byte at the very end stands alone.
// GB18030's four-byte characters have a digit as second byte, which no GBK
// trail byte (0x40 and up) is, so recognising lead-digit-lead-digit as one
// character leaves every GBK sequence exactly as before while keeping a
// search from starting on the third byte of a four-byte character (an emoji).
std::size_t CharLength(std::string_view text, std::size_t i);

// Pieces between the occurrences of delimiter; each occurrence ends a piece,
// even an empty one; the rest after the last one is a piece only when it is
// not empty. An empty text gives no pieces.
std::vector<std::string> SplitText(std::string_view text, std::string_view delimiter);

// The text's characters: a multi-byte character and CR LF are one each.
std::vector<std::string> SplitCharacters(std::string_view text);

// First occurrence at or after start (start below 1 counts as 1).
// ignoreCase folds ASCII letters only.
int Find(std::string_view text, std::string_view needle, int start = 1, bool ignoreCase = false);

// Text left of an occurrence of marker, empty when it is not found.
// start >= 0: the first occurrence at or after position start (0 means 1).
// start == -1: the last occurrence in the text.
// start == -k, k >= 2: the last one lying wholly in the first (length - k) bytes.
std::string TextBefore(std::string_view text, std::string_view marker, int start = 0,
                       bool ignoreCase = false);

// Text right of an occurrence of marker, empty when it is not found. Note the
// default runs the other way round from TextBefore:
// start >= 0: the last occurrence lying wholly in the first (length - start) bytes.
// start == -1: the first occurrence in the text.
// start == -k, k >= 2: the first occurrence at or after position k.
std::string TextAfter(std::string_view text, std::string_view marker, int start = 0,
                      bool ignoreCase = false);

// In both markers "#引号" stands for a double quote. The text from the end of
// the first left marker at or after start up to the next right marker; empty
// when either is missing.
std::string TextBetween(std::string_view text, std::string_view left, std::string_view right,
                        int start = 1, bool ignoreCase = false);

// Every occurrence of from replaced by to.
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to,
                       bool ignoreCase = false);

// The first byte upper-cased when it is a-z; the rest unchanged.
std::string CapitalizeFirst(std::string_view text);

// Removes ASCII blanks (0x20) and full-width blanks (0xA1 0xA1) at both ends;
// tabs, CR and LF stay.
std::string TrimBlanks(std::string_view text);

struct CutOptions {
    bool ignoreCase = false;
    int start = 1;
    // When above 0, items of this many bytes or more (as returned) are dropped.
    int maxLength = 0;
    std::string prefix;
    std::string suffix;
    bool withLeft = false;   // put left before each item
    bool withRight = false;  // put right after each item
};

// Every text between an occurrence of left and the next occurrence of right.
// The next search for left starts right after the previous left, so items may
// overlap. Lets pending UI messages run between items.
std::vector<std::string> CutAllBetween(std::string_view text, std::string_view left,
                                       std::string_view right, const CutOptions& options = {});

}  // namespace vantrel
