#include "net/answer_headers.h"

#include <vector>

#include "net/header_cookie.h"
#include "net/local_text.h"
#include "net/pending_messages.h"

namespace vantrel {
namespace {

// The block's lines, split at every CR LF byte pair. Header values are bytes
// off the wire, not local text: a value ending in a high byte (UTF-8 text)
// must not pair that byte with the CR and run into the next line.
std::vector<std::string_view> Lines(std::string_view block) {
    std::vector<std::string_view> lines;
    for (std::size_t begin = 0; begin < block.size();) {
        std::size_t end = block.find("\r\n", begin);
        if (end == std::string_view::npos) end = block.size();
        lines.push_back(block.substr(begin, end - begin));
        begin = end + 2;
    }
    return lines;
}

}  // namespace

HttpAnswerFields ReadHttpAnswerHeaders(std::string_view block) {
    HttpAnswerFields fields;
    if (block.size() > 9) {
        std::size_t end = block.find("\r\n", 9);
        fields.statusText =
            block.substr(9, end == std::string_view::npos ? std::string_view::npos : end - 9);
    }
    for (std::string_view line : Lines(block)) {
        CollectSetCookies(line, fields.cookies);
        if (line.size() >= 10 && Find(line.substr(0, 10), "Location: ", 1, true) == 1)
            fields.location = std::string(line.substr(10));
        ProcessPendingMessages();
    }
    if (fields.cookies.ends_with("; ")) fields.cookies.resize(fields.cookies.size() - 2);
    return fields;
}

InetAnswerFields ReadInetAnswerHeaders(std::string_view block) {
    InetAnswerFields fields;
    fields.rawHeaders = block.size() < INET_HEADER_BUFFER ? std::string(block)
                                                          : std::string(INET_HEADER_BUFFER, ' ');
    for (std::string_view line : Lines(fields.rawHeaders))
        CollectSetCookies(line, fields.cookies);
    if (fields.cookies.size() >= 2) fields.cookies.resize(fields.cookies.size() - 2);
    return fields;
}

std::string_view OneLine(std::string_view text) {
    return text.substr(0, text.find_first_of("\r\n"));
}

}  // namespace vantrel
