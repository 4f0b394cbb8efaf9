#include <string>

#include "fuzz_check.h"
#include "sources/list_fetchers.h"

// Any Toutiao answer: decoded and cut, every word is the text between one
// `word":"` and the next quote, so no word holds a quote or a zero byte.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantrel;
    const std::string body(reinterpret_cast<const char*>(data), size);
    FetchResult result = ReadToutiaoWords(body);
    FUZZ_CHECK(result.status == FetchStatus::kParsed);
    FUZZ_CHECK(result.rankBase == 1);
    for (const ListEntry& entry : result.entries) {
        FUZZ_CHECK(entry.title.find('"') == std::string::npos);
        FUZZ_CHECK(entry.title.find('\0') == std::string::npos);
    }
    return 0;
}
