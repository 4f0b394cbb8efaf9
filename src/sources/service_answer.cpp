#include "sources/service_answer.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>

#include "net/curl_transport.h"
#include "net/http_request.h"
#include "net/inet_request.h"
#include "sources/service_hosts.h"

namespace vantrel {
namespace {

constexpr const char* kBrowserAgent =
    "User-Agent: Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/124.0 Safari/537.36";

using Clock = std::chrono::steady_clock;

// Nothing arrived: a wait that ran into the time-out is a time-out.
FetchFailure Silence(Clock::time_point start, int timeoutSeconds) {
    const auto waited = Clock::now() - start;
    return waited >= std::chrono::milliseconds(timeoutSeconds * 900) ? FetchFailure::kTimeout
                                                                     : FetchFailure::kNoConnection;
}

// "HTTP/1.1 404 Not Found" (the last block's first line) or "404 Not Found".
int StatusCode(const std::string& text) {
    std::size_t line = text.rfind("HTTP/");
    std::size_t at = line == std::string::npos ? 0 : text.find(' ', line);
    if (at == std::string::npos) return 0;
    while (at < text.size() && text[at] == ' ')
        ++at;
    return std::atoi(text.c_str() + at);
}

// A busy service's own word on when to come back.
int RetryAfterOf(int status, const std::string& headers) {
    return status == 429 || status == 503 ? RetryAfterSeconds(headers) : 0;
}

std::string JoinLines(const std::string& first, const std::string& second) {
    if (first.empty()) return second;
    if (second.empty()) return first;
    return first + "\r\n" + second;
}

}  // namespace

ServiceAnswer HttpAnswer(const ServiceCall& call) {
    std::string statusText;
    std::string responseHeaders;
    HttpRequestArgs args;
    args.url = call.url;
    args.statusText = &statusText;
    args.responseHeaders = &responseHeaders;
    const std::string headers = JoinLines(call.browserAgent ? kBrowserAgent : "", call.headers);
    if (!headers.empty()) args.extraHeaders = headers;
    // The documented requests leave the time-out to --timeout, as before.
    const int timeout = call.timeoutSeconds > 0 ? call.timeoutSeconds : ServiceTimeoutSeconds();
    if (timeout > 0) args.timeoutSeconds = timeout;
    const auto start = Clock::now();
    ServiceAnswer answer;
    answer.body = HttpRequest(args);
    const std::string code = statusText.substr(0, 3);
    answer.arrived = !(code.size() == 3 && code >= "700" && code <= "713");
    if (answer.arrived) {
        answer.httpStatus = StatusCode(statusText);
        answer.retryAfterSeconds = RetryAfterOf(answer.httpStatus, responseHeaders);
    } else {
        answer.failure = Silence(start, timeout > 0 ? timeout : 30);
    }
    return answer;
}

ServiceAnswer InetAnswer(const std::string& url) {
    std::string headers;
    InetRequestArgs args;
    args.url = url;
    args.responseHeaders = &headers;
    const auto start = Clock::now();
    ServiceAnswer answer;
    answer.body = InetRequest(args);
    answer.arrived = !headers.empty();
    if (answer.arrived) {
        answer.httpStatus = StatusCode(headers);
        answer.retryAfterSeconds = RetryAfterOf(answer.httpStatus, headers);
    } else {
        answer.failure = Silence(start, CurrentBlockingTimeoutSeconds());
    }
    return answer;
}

std::string BootstrapCookies(const std::string& url, int timeoutSeconds) {
    std::string cookies;
    HttpRequestArgs args;
    args.url = url;
    args.noRedirect = true;
    args.returnedCookies = &cookies;
    args.extraHeaders = kBrowserAgent;
    if (timeoutSeconds > 0) args.timeoutSeconds = timeoutSeconds;
    HttpRequest(args);
    return cookies;
}

int RetryAfterSeconds(std::string_view headers) {
    constexpr std::string_view kName = "retry-after:";
    std::size_t start = 0;
    while (start < headers.size()) {
        std::size_t end = headers.find('\n', start);
        if (end == std::string_view::npos) end = headers.size();
        const std::string_view line = headers.substr(start, end - start);
        start = end + 1;
        if (line.size() < kName.size()) continue;
        bool named = true;
        for (std::size_t i = 0; i < kName.size() && named; ++i)
            named = std::tolower(static_cast<unsigned char>(line[i])) == kName[i];
        if (!named) continue;
        std::size_t at = line.find_first_not_of(" \t", kName.size());
        int seconds = 0;
        for (; at < line.size() && line[at] >= '0' && line[at] <= '9'; ++at)
            seconds = std::min(seconds * 10 + (line[at] - '0'), 86400);
        return seconds;
    }
    return 0;
}

FetchFailure AnswerFailure(const ServiceAnswer& answer) {
    if (!answer.arrived) return answer.failure;
    if (answer.httpStatus >= 400) return FetchFailure::kHttpStatus;
    return FetchFailure::kNone;
}

}  // namespace vantrel
