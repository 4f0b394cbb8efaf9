#include "net/answer_headers.h"

#include "net/header_cookie.h"
#include "net/local_text.h"
#include "net/pending_messages.h"

namespace vantrel {

HttpAnswerFields ReadHttpAnswerHeaders(std::string_view block) {
    HttpAnswerFields fields;
    if (block.size() > 9) {
        std::size_t end = block.find("\r\n", 9);
        fields.statusText =
            block.substr(9, end == std::string_view::npos ? std::string_view::npos : end - 9);
    }
    for (const std::string& line : SplitText(block, "\r\n")) {
        CollectSetCookies(line, fields.cookies);
        if (line.size() >= 10 && Find(line.substr(0, 10), "Location: ", 1, true) == 1)
            fields.location = line.substr(10);
        ProcessPendingMessages();
    }
    if (fields.cookies.ends_with("; ")) fields.cookies.resize(fields.cookies.size() - 2);
    return fields;
}

InetAnswerFields ReadInetAnswerHeaders(std::string_view block) {
    InetAnswerFields fields;
    fields.rawHeaders = block.size() < INET_HEADER_BUFFER ? std::string(block)
                                                          : std::string(INET_HEADER_BUFFER, ' ');
    for (const std::string& line : SplitText(fields.rawHeaders, "\r\n"))
        CollectSetCookies(line, fields.cookies);
    if (fields.cookies.size() >= 2) fields.cookies.resize(fields.cookies.size() - 2);
    return fields;
}

std::string_view OneLine(std::string_view text) {
    return text.substr(0, text.find_first_of("\r\n"));
}

}  // namespace vantrel
