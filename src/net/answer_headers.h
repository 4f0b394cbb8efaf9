#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vantrel {

// What HttpRequest reads out of an answer's raw header block (lines end at
// each CR LF byte pair, whatever bytes come before it):
// the status text from the block's 10th character to its first line end, the
// target of the last "Location: " line (any letter case) and the Set-Cookie
// items joined by "; ". Pending messages run after each line.
struct HttpAnswerFields {
    std::string statusText;
    std::optional<std::string> location;
    std::string cookies;
};
HttpAnswerFields ReadHttpAnswerHeaders(std::string_view block);

// What InetRequest reads out of it: the block as its fixed buffer holds it
// (INET_HEADER_BUFFER blanks when the block and its zero do not fit) and the
// Set-Cookie items of that buffer joined by "; ".
inline constexpr std::size_t INET_HEADER_BUFFER = 5000;
struct InetAnswerFields {
    std::string rawHeaders;
    std::string cookies;
};
InetAnswerFields ReadInetAnswerHeaders(std::string_view block);

// The text up to its first CR or LF: a value that must stay on one header line.
std::string_view OneLine(std::string_view text);

}  // namespace vantrel
