#include <string>

#include "fuzz_check.h"
#include "net/code_page.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantrel;
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    // Whatever the input, one conversion gives valid text, and valid text
    // survives every round trip unchanged.
    std::string local = Utf8ToLocal(bytes);
    FUZZ_CHECK(local.find('\0') == std::string::npos);
    std::string utf8 = ToUtf8(local);
    FUZZ_CHECK(Utf8ToLocal(utf8) == local);
    FUZZ_CHECK(FromUtf16(ToUtf16(local)) == local);
    FUZZ_CHECK(ToUtf16(local, true).size() % 2 == 0);

    std::string fromLocal = ToUtf8(bytes);
    FUZZ_CHECK(ToUtf8(Utf8ToLocal(fromLocal)) == fromLocal);
    std::string fromWide = FromUtf16(bytes);
    FUZZ_CHECK(FromUtf16(ToUtf16(fromWide)) == fromWide);
    return 0;
}
