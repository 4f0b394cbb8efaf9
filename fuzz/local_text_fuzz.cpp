#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <string>

#include "fuzz_check.h"
#include "net/local_text.h"

namespace {

std::string Join(const std::vector<std::string>& pieces, const std::string& delimiter) {
    std::string out;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (i > 0) out += delimiter;
        out += pieces[i];
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantrel;
    FuzzedDataProvider in(data, size);
    const bool ignoreCase = in.ConsumeBool();
    const int start = in.ConsumeIntegralInRange<int>(-12, 12);
    const std::string needle = in.ConsumeRandomLengthString(8);
    const std::string right = in.ConsumeRandomLengthString(8);
    const std::string text = in.ConsumeRemainingBytesAsString();

    int p = Find(text, needle, start, ignoreCase);
    FUZZ_CHECK(p == -1 || (p >= 1 && p >= start &&
                           static_cast<std::size_t>(p) - 1 + needle.size() <= text.size()));
    if (p != -1 && !ignoreCase) FUZZ_CHECK(text.compare(p - 1, needle.size(), needle) == 0);
    // Without ASCII letters folding changes nothing, so the two searches (the
    // case-sensitive one finds candidates first, the other walks every
    // character boundary) must agree.
    const auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    if (std::none_of(text.begin(), text.end(), letter) &&
        std::none_of(needle.begin(), needle.end(), letter)) {
        FUZZ_CHECK(Find(text, needle, start, false) == Find(text, needle, start, true));
        FUZZ_CHECK(TextBetween(text, needle, right, start, false) ==
                   TextBetween(text, needle, right, start, true));
    }

    std::vector<std::string> pieces = SplitText(text, needle);
    std::string joined = Join(pieces, needle);
    FUZZ_CHECK(joined == text || joined + needle == text || (pieces.empty() && text.empty()));
    FUZZ_CHECK(ReplaceAll(text, needle, needle, ignoreCase).size() == text.size());

    std::string before = TextBefore(text, needle, start, ignoreCase);
    std::string after = TextAfter(text, needle, start, ignoreCase);
    FUZZ_CHECK(text.compare(0, before.size(), before) == 0);
    FUZZ_CHECK(after.size() <= text.size() &&
               text.compare(text.size() - after.size(), after.size(), after) == 0);
    std::string between = TextBetween(text, needle, right, start, ignoreCase);
    FUZZ_CHECK(between.size() <= text.size());

    std::string trimmed = TrimBlanks(text);
    FUZZ_CHECK(TrimBlanks(trimmed) == trimmed);
    FUZZ_CHECK(CapitalizeFirst(text).size() == text.size());
    FUZZ_CHECK(Join(SplitCharacters(text), "") == text);

    CutOptions options;
    options.ignoreCase = ignoreCase;
    options.start = start;
    options.maxLength = start > 0 ? start : 0;
    options.withLeft = start % 2 != 0;
    options.withRight = start % 3 == 0;
    options.prefix = right;
    for (const std::string& item : CutAllBetween(text, needle, right, options)) {
        if (options.maxLength > 0) FUZZ_CHECK(item.size() < std::size_t(options.maxLength));
    }
    return 0;
}
