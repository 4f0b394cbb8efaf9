#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace vantrel {

// One compiled regular expression and the matches of its last run over one
// subject. Texts are local text; matching runs on their UTF-8 form, so "."
// and classes see whole characters, and positions are mapped back to byte
// offsets of the local subject. Copies are independent values: a Search on
// one does not change the other. No operation fails loudly: a bad pattern
// makes Search return false, and lookups past the matches give empty texts.
class RegexObject {
  public:
    RegexObject();
    ~RegexObject();
    RegexObject(const RegexObject&);
    RegexObject& operator=(const RegexObject&);
    RegexObject(RegexObject&&) noexcept;
    RegexObject& operator=(RegexObject&&) noexcept;

    // Compiles pattern and collects its matches in subject (all of them when
    // global, else the first). With quoteMarker, "#引号" in the pattern stands
    // for a double quote. True when the pattern compiled, even if nothing matched.
    bool Search(std::string_view pattern, std::string_view subject, bool caseSensitive = false,
                bool multiline = true, bool global = true, bool quoteMarker = false);

    // The pattern of the last Search (after the marker replacement); empty before.
    std::string GetPattern() const;

    // The last subject with each match (every one when global) replaced.
    // In replacement, $1..$99 are groups, $& the match, $` and $' the text
    // before and after it, $$ a dollar sign.
    std::string SubstituteAll(std::string_view replacement) const;

    int MatchCount() const;

    // Match index and group index are 1-based. When bytePosition is given it
    // receives the 0-based byte offset of the text in the local subject, or -1
    // when there is no such match or group.
    std::string MatchText(int index, int* bytePosition = nullptr) const;
    std::string SubMatchText(int index, int group, int* bytePosition = nullptr) const;

    // Number of capture groups of the first match; 0 when nothing matched.
    int SubMatchCount() const;

  private:
    struct State;
    std::shared_ptr<const State> state_;
};

// Why a pattern does not compile, and where: PCRE2's message (ASCII) and the
// 1-based character of the pattern at which it stopped.
struct PatternFault {
    int position = 0;
    std::string message;
};

// Nothing when the local-text pattern compiles as Search would compile it.
std::optional<PatternFault> FindPatternFault(std::string_view pattern, bool caseSensitive = false,
                                             bool multiline = true);

}  // namespace vantrel
