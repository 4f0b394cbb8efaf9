#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "rules/keyword_rule.h"

namespace vantrel {

// The rules ready for matching local-text titles: words, exclusions and
// pattern converted once from the file's UTF-8.
class RuleSet {
  public:
    RuleSet() = default;
    explicit RuleSet(std::vector<KeywordRule> rules);

    const std::vector<KeywordRule>& Rules() const { return rules_; }
    bool Empty() const { return rules_.empty(); }

    // Whether rule `index` matches the title on that source: it watches the
    // source, the title contains any of its words (or it has none), none of
    // its exclusions, and matches its pattern (case-insensitive) when it has
    // one. Words compare as the keyword monitor compares its keywords.
    bool Matches(std::size_t index, SourceId source, std::string_view title) const;

    // The indexes of every rule that matches, in the file's order.
    std::vector<std::size_t> Matching(SourceId source, std::string_view title) const;

  private:
    struct LocalForm {
        std::vector<std::string> words;
        std::vector<std::string> exclude;
        std::string regex;
    };

    std::vector<KeywordRule> rules_;
    std::vector<LocalForm> local_;
};

// The names of the rules at indexes, joined by ", " (UTF-8).
std::string JoinedRuleNames(const RuleSet& rules, const std::vector<std::size_t>& indexes);

}  // namespace vantrel
