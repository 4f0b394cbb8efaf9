#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "net/answer_headers.h"
#include "net/curl_exchange.h"

namespace {

bool HasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

}  // namespace

// The raw header lines of an answer, as libcurl hands them over one by one
// (each up to and with its LF), into the block both request routines read.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantrel;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    curl::Response response;
    response.following = true;
    for (std::size_t begin = 0; begin < bytes.size();) {
        std::size_t end = bytes.find('\n', begin);
        end = end == std::string_view::npos ? bytes.size() : end + 1;
        if (!curl::CollectHeaderLine(response, bytes.substr(begin, end - begin))) break;
        begin = end;
    }
    // Every line of the block ends in CR LF, and only there.
    const std::string& block = response.headers;
    for (std::size_t at = block.find('\n'); at != std::string::npos; at = block.find('\n', at + 1))
        FUZZ_CHECK(at > 0 && block[at - 1] == '\r');
    FUZZ_CHECK(block.empty() || block.ends_with("\r\n"));

    HttpAnswerFields http = ReadHttpAnswerHeaders(block);
    FUZZ_CHECK(http.statusText.find("\r\n") == std::string::npos);
    FUZZ_CHECK(!http.location || http.location->find("\r\n") == std::string::npos);
    FUZZ_CHECK(http.cookies.find("\r\n") == std::string::npos);

    InetAnswerFields inet = ReadInetAnswerHeaders(block);
    FUZZ_CHECK(inet.rawHeaders.size() < INET_HEADER_BUFFER ||
               inet.rawHeaders == std::string(INET_HEADER_BUFFER, ' '));
    FUZZ_CHECK(inet.cookies.find("\r\n") == std::string::npos);
    FUZZ_CHECK(!HasLineBreak(OneLine(block)));
    return 0;
}
