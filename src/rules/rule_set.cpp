#include "rules/rule_set.h"

#include <algorithm>

#include "net/code_page.h"
#include "net/regex_object.h"
#include "rules/word_match.h"

namespace vantrel {
namespace {

std::vector<std::string> LocalTexts(const std::vector<std::string>& utf8) {
    std::vector<std::string> local;
    for (const std::string& text : utf8)
        local.push_back(Utf8ToLocal(text));
    return local;
}

bool ContainsAny(std::string_view title, const std::vector<std::string>& words) {
    return std::any_of(words.begin(), words.end(),
                       [&](const std::string& word) { return ContainsWord(title, word); });
}

}  // namespace

RuleSet::RuleSet(std::vector<KeywordRule> rules) : rules_(std::move(rules)) {
    for (const KeywordRule& rule : rules_)
        local_.push_back(
            {LocalTexts(rule.words), LocalTexts(rule.exclude), Utf8ToLocal(rule.regex)});
}

bool RuleSet::Matches(std::size_t index, SourceId source, std::string_view title) const {
    if (index >= rules_.size()) return false;
    const int n = static_cast<int>(source);
    if (!IsSourceNumber(n) || !rules_[index].sources[n - 1]) return false;
    const LocalForm& form = local_[index];
    if (!form.words.empty() && !ContainsAny(title, form.words)) return false;
    if (ContainsAny(title, form.exclude)) return false;
    if (form.regex.empty()) return true;
    RegexObject regex;
    return regex.Search(form.regex, title, false, true, false) && regex.MatchCount() > 0;
}

std::vector<std::size_t> RuleSet::Matching(SourceId source, std::string_view title) const {
    std::vector<std::size_t> indexes;
    for (std::size_t i = 0; i < rules_.size(); ++i) {
        if (Matches(i, source, title)) indexes.push_back(i);
    }
    return indexes;
}

std::string JoinedRuleNames(const RuleSet& rules, const std::vector<std::size_t>& indexes) {
    std::string joined;
    for (const std::size_t index : indexes) {
        if (index >= rules.Rules().size()) continue;
        if (!joined.empty()) joined += ", ";
        joined += rules.Rules()[index].name;
    }
    return joined;
}

}  // namespace vantrel
