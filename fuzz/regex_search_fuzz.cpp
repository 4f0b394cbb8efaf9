#include <fuzzer/FuzzedDataProvider.h>

#include <string>

#include "fuzz_check.h"
#include "net/regex_object.h"

namespace {

// A reported position and text are the subject's own bytes at that place.
void CheckPlaced(const std::string& subject, const std::string& text, int position) {
    FUZZ_CHECK(position >= 0);
    const auto at = static_cast<std::size_t>(position);
    FUZZ_CHECK(at <= subject.size() && text.size() <= subject.size() - at);
    FUZZ_CHECK(subject.compare(at, text.size(), text) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantrel;
    FuzzedDataProvider in(data, size);
    const bool caseSensitive = in.ConsumeBool();
    const bool multiline = in.ConsumeBool();
    const bool global = in.ConsumeBool();
    const std::string pattern = in.ConsumeRandomLengthString(64);
    std::string subject = in.ConsumeRemainingBytesAsString();
    subject = subject.substr(0, subject.find('\0'));

    RegexObject regex;
    if (!regex.Search(pattern, subject, caseSensitive, multiline, global)) {
        FUZZ_CHECK(regex.MatchCount() == 0);
        return 0;
    }
    FUZZ_CHECK(global || regex.MatchCount() <= 1);
    int previousEnd = 0;
    for (int i = 1; i <= regex.MatchCount(); ++i) {
        int position = -1;
        const std::string text = regex.MatchText(i, &position);
        CheckPlaced(subject, text, position);
        // Matches come in order and never overlap.
        FUZZ_CHECK(position >= previousEnd);
        previousEnd = position + static_cast<int>(text.size());
        for (int g = 1; g <= regex.SubMatchCount(); ++g) {
            int groupPosition = -1;
            const std::string group = regex.SubMatchText(i, g, &groupPosition);
            if (groupPosition >= 0) CheckPlaced(subject, group, groupPosition);
        }
    }
    regex.SubstituteAll("[$&$1$`$'$$]");
    return 0;
}
