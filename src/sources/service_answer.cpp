#include "sources/service_answer.h"

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

std::string JoinLines(const std::string& first, const std::string& second) {
    if (first.empty()) return second;
    if (second.empty()) return first;
    return first + "\r\n" + second;
}

}  // namespace

ServiceAnswer HttpAnswer(const ServiceCall& call) {
    std::string statusText;
    HttpRequestArgs args;
    args.url = call.url;
    args.statusText = &statusText;
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

FetchFailure AnswerFailure(const ServiceAnswer& answer) {
    if (!answer.arrived) return answer.failure;
    if (answer.httpStatus >= 400) return FetchFailure::kHttpStatus;
    return FetchFailure::kNone;
}

}  // namespace vantrel
