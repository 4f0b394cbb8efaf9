#include <string>

#include "fuzz_check.h"
#include "sources/list_fetchers.h"

// Any Baidu board page: the cut and the read never crash, and only a page
// that parsed can hold entries.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantrel;
    const std::string body(reinterpret_cast<const char*>(data), size);
    FetchResult result = ReadBaiduBoard(body);
    FUZZ_CHECK(result.rankBase == 0);
    FUZZ_CHECK(result.status != FetchStatus::kRequestFailed);
    FUZZ_CHECK(result.status == FetchStatus::kParsed || result.entries.empty());
    for (const ListEntry& entry : result.entries) {
        FUZZ_CHECK(entry.title.find('\0') == std::string::npos);
        FUZZ_CHECK(entry.links.empty());
    }
    return 0;
}
