#include <fuzzer/FuzzedDataProvider.h>

#include <string>

#include "fuzz_check.h"
#include "net/header_cookie.h"
#include "net/local_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantrel;
    FuzzedDataProvider in(data, size);
    std::string old = in.ConsumeRandomLengthString(256);
    const std::string fresh = in.ConsumeRandomLengthString(256);
    const std::string block = in.ConsumeRemainingBytesAsString();

    const std::size_t oldSize = old.size();
    const std::string merged = MergeCookies(old, fresh);
    FUZZ_CHECK(merged == old);
    FUZZ_CHECK(!merged.ends_with("=deleted"));
    FUZZ_CHECK(merged.size() <= oldSize + fresh.size() + 4);

    std::string list;
    for (const std::string& line : SplitText(block, "\r\n"))
        CollectSetCookies(line, list);
    FUZZ_CHECK(list.empty() || list.ends_with("; "));
    std::string normalized = NormalizeHeaderNames(block);
    FUZZ_CHECK(normalized.size() <= block.size());
    FUZZ_CHECK(NormalizeHeaderNames(normalized) == normalized);
    HeaderValue(block, fresh);
    CookieName(fresh);
    RemoveDuplicates(block, fresh, false);
    return 0;
}
