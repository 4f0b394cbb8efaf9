#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "fuzz_check.h"
#include "net/code_page.h"
#include "rules/rule_set.h"
#include "rules/rules_file.h"

// Any rules.json: reading never crashes or hangs, and it is all or nothing. A
// text that is refused says why; one that is read gives rules whose own text
// reads back the same, and which match a title without trouble.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantrel;
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::string problem;
    const std::optional<RulesFile> rules = ParseRulesText(text, problem);
    if (!rules) {
        FUZZ_CHECK(!problem.empty());
        return 0;
    }
    FUZZ_CHECK(problem.empty());
    const std::string written = FormatRulesText(*rules);
    const std::optional<RulesFile> again = ParseRulesText(written, problem);
    FUZZ_CHECK(again && *again == *rules);
    FUZZ_CHECK(FormatRulesText(*again) == written);

    const RuleSet set(rules->rules);
    for (const SourceId source : {SourceId::kWeibo, SourceId::kDouyin})
        set.Matching(source, Utf8ToLocal("热点新闻 iPhone 16 发布🔥"));
    return 0;
}
