#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <string>

#include "fuzz_check.h"
#include "net/url.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantrel;
    FuzzedDataProvider in(data, size);
    const bool keepSafe = in.ConsumeBool();
    const bool plusAsBlank = in.ConsumeBool();
    const std::string bytes = in.ConsumeRemainingBytesAsString();

    std::string decoded = PercentDecode(bytes, plusAsBlank);
    FUZZ_CHECK(decoded.size() <= bytes.size());

    // Encoding then decoding gives back every byte but the zero bytes.
    std::string withoutZeros = bytes;
    withoutZeros.erase(std::remove(withoutZeros.begin(), withoutZeros.end(), '\0'),
                       withoutZeros.end());
    std::string encoded = PercentEncodeBytes(bytes, keepSafe);
    FUZZ_CHECK(PercentDecode(encoded, true) == withoutZeros);
    return 0;
}
