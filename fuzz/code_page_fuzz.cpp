#include <iconv.h>

#include <cerrno>
#include <string>

#include "fuzz_check.h"
#include "net/code_page.h"

namespace {

// One pass of iconv over the text up to its first zero, each failing byte as
// U+FFFD: what the converters must give, however they split their work.
std::string OnePass(const char* to, const char* from, std::string input,
                    std::string_view replacement) {
    input = input.substr(0, input.find('\0'));
    iconv_t cd = iconv_open(to, from);
    std::string out;
    char* in = input.data();
    std::size_t inLeft = input.size();
    while (inLeft > 0) {
        char chunk[4096];
        char* outPtr = chunk;
        std::size_t outLeft = sizeof chunk;
        const std::size_t r = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        const int err = errno;
        out.append(chunk, static_cast<std::size_t>(outPtr - chunk));
        if (r != static_cast<std::size_t>(-1) || err == E2BIG) continue;
        out += replacement;
        ++in;
        --inLeft;
    }
    iconv_close(cd);
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantrel;
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    // Whatever the input, one conversion gives valid text, and valid text
    // survives every round trip unchanged.
    std::string local = Utf8ToLocal(bytes);
    FUZZ_CHECK(local == OnePass("GB18030", "UTF-8", bytes, "\x84\x31\xA4\x37"));
    FUZZ_CHECK(local.find('\0') == std::string::npos);
    std::string utf8 = ToUtf8(local);
    FUZZ_CHECK(Utf8ToLocal(utf8) == local);
    FUZZ_CHECK(FromUtf16(ToUtf16(local)) == local);
    FUZZ_CHECK(ToUtf16(local, true).size() % 2 == 0);

    std::string fromLocal = ToUtf8(bytes);
    FUZZ_CHECK(fromLocal == OnePass("UTF-8", "GB18030", bytes, "\xEF\xBF\xBD"));
    FUZZ_CHECK(ToUtf8(Utf8ToLocal(fromLocal)) == fromLocal);
    std::string fromWide = FromUtf16(bytes);
    FUZZ_CHECK(FromUtf16(ToUtf16(fromWide)) == fromWide);
    return 0;
}
