#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "model/colors.h"
#include "model/source_id.h"

namespace vantrel {

// One rule of rules.json, as the file and the rules window hold it. Texts are
// UTF-8 (the file's encoding); matching converts them to local text once.
struct KeywordRule {
    std::string name;
    std::vector<std::string> words;    // any of them; none: every title
    std::vector<std::string> exclude;  // none of them
    std::string regex;                 // empty: no pattern
    // Which sources the rule watches, indexed by source number - 1; a file
    // that names none means all four.
    std::array<bool, SOURCE_COUNT> sources{true, true, true, true};
    std::uint32_t color = COLOR_ACCENT;  // ARGB, opaque
    bool notify = false;

    bool operator==(const KeywordRule&) const = default;
};

// What rules.json holds: the rules in the file's order and the "勿扰" switch.
struct RulesFile {
    std::vector<KeywordRule> rules;
    bool doNotDisturb = false;

    bool operator==(const RulesFile&) const = default;
};

}  // namespace vantrel
