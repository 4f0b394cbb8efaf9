#include <fuzzer/FuzzedDataProvider.h>

#include <string>

#include "fuzz_check.h"
#include "net/url.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantrel;
    FuzzedDataProvider in(data, size);
    const bool mainDomainOnly = in.ConsumeBool();
    const bool keepPort = in.ConsumeBool();
    const bool keepSafe = in.ConsumeBool();
    const std::string url = in.ConsumeRemainingBytesAsString();

    std::string host = UrlHost(url, mainDomainOnly, keepPort);
    FUZZ_CHECK(host.find('/') == std::string::npos);
    FUZZ_CHECK(UrlHost(url, false, true).starts_with(UrlHost(url)));
    UrlPort(url);
    std::string path = UrlPath(url);
    FUZZ_CHECK(path.starts_with("/"));
    FUZZ_CHECK(url.ends_with(path) || url.ends_with(path.substr(1)));
    std::string encoded = UrlEncode(url, keepSafe, true);
    FUZZ_CHECK(encoded.find(' ') == std::string::npos && encoded.find('\0') == std::string::npos);
    return 0;
}
