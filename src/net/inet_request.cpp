#include "net/inet_request.h"

#include "net/answer_headers.h"
#include "net/curl_exchange.h"
#include "net/header_cookie.h"
#include "net/local_text.h"
#include "net/url.h"

namespace vantrel {
namespace {

bool Contains(std::string_view text, std::string_view needle, bool ignoreCase) {
    return Find(text, needle, 1, ignoreCase) != -1;
}

// The agent text handed to the library. It only reaches the wire when the
// block has no User-Agent line of its own, since that line wins.
std::string AgentText(const std::string& block) {
    if (!Contains(block, "User-Agent:", true)) return curl::DEFAULT_AGENT;
    std::string agent = TrimBlanks(TextBetween(block + "\r\n", "User-Agent:", "\r\n"));
    if (agent.empty()) {
        std::size_t colon = block.find(':');
        agent = colon == std::string::npos ? std::string() : TrimBlanks(block.substr(colon + 1));
    }
    // One line only: what follows a line break must not become another header.
    return std::string(OneLine(agent));
}

std::string RequestHeaderBlock(const std::string& url, std::string block, int method,
                               const std::string& cookies, bool defaultHeaders) {
    if (defaultHeaders) {
        if (block.empty()) block = "Accept: */*";
        if (!Contains(block, "Accept:", true)) block += "\r\nAccept: */*";
        if (!Contains(block, "Referer:", true)) block += "\r\nReferer: " + url;
        if (!Contains(block, "Accept-Language:", true)) block += "\r\nAccept-Language: zh-cn";
        if (method == 1 && !Contains(block, "Content-Type:", true))
            block += "\r\nContent-Type: application/x-www-form-urlencoded";
    }
    if (!cookies.empty()) {
        block += "\r\n";
        if (!Contains(cookies, "Cookie:", false)) block += "Cookie: ";
        block += OneLine(cookies);
    }
    return block;
}

CURLcode SetProxy(CURL* e, const InetRequestArgs& a) {
    const std::string proxy = a.proxy.value_or("");
    if (proxy.empty()) return CURLE_OK;
    CURLcode code = curl_easy_setopt(e, CURLOPT_PROXY, proxy.c_str());
    if (code == CURLE_OK && a.useSocks.value_or(false))
        code = curl_easy_setopt(e, CURLOPT_PROXYTYPE, static_cast<long>(CURLPROXY_SOCKS4));
    return code;
}

}  // namespace

std::string InetRequest(const InetRequestArgs& a) {
    std::string block = a.extraHeaders.value_or("");
    if (a.normalizeHeaderNames.value_or(true)) block = NormalizeHeaderNames(block);
    int method = a.method.value_or(0);
    if (method < 0 || method > 7) method = 0;
    const std::string url = RequestUrl(a.url);
    const bool secure = url.size() >= 8 && Find(url.substr(0, 8), "https://", 1, true) == 1;
    const std::string agent = AgentText(block);

    if (!curl::Available()) return {};
    curl::Response response;
    curl::Easy easy = curl::NewEasy(response);
    if (!easy) return {};
    CURL* e = easy.get();
    // The address as the host, port and path split out of it.
    const std::string address = std::string(secure ? "https://" : "http://") + UrlHost(url) + ":" +
                                std::to_string(UrlPort(url)) + UrlPath(url);
    const long seconds = curl::BlockingTimeoutSeconds();
    if (curl_easy_setopt(e, CURLOPT_URL, address.c_str()) != CURLE_OK ||
        curl_easy_setopt(e, CURLOPT_USERAGENT, agent.c_str()) != CURLE_OK ||
        SetProxy(e, a) != CURLE_OK || curl::SetTimeouts(e, response, seconds) != CURLE_OK ||
        curl::VerifyTls(e) != CURLE_OK ||
        curl::SetRedirects(e, response, !a.noRedirect.value_or(false)) != CURLE_OK)
        return {};
    // Supplied cookies, even none, keep the library's own store out of the call.
    if (!a.cookies && curl::UseSharedCookies(e) != CURLE_OK) return {};

    const std::string cookies = a.cookies ? *a.cookies : std::string();
    curl::HeaderList headers = curl::HeaderLines(
        RequestHeaderBlock(url, block, method, cookies, a.defaultHeaders.value_or(true)));
    std::string body;
    if (method != 0) {
        body = a.postBytes && !a.postBytes->empty() ? *a.postBytes : a.postText.value_or("");
        if (a.postBytes && a.postBytes->empty()) *a.postBytes = body;
    }
    if (curl_easy_setopt(e, CURLOPT_HTTPHEADER, headers.get()) != CURLE_OK ||
        curl::SetMethod(e, method, method != 0 ? &body : nullptr) != CURLE_OK)
        return {};

    // A failed read is not told apart: the body is what arrived (at most the
    // cap). An exchange with no answer at all gives nothing, and its header
    // and cookie outputs are reset all the same: a caller reusing them must
    // not read an earlier call's cookies.
    curl::PerformBlocking(e);
    if (!response.headersDone) {
        response.headers.clear();
        response.body.clear();
    }

    InetAnswerFields fields = ReadInetAnswerHeaders(response.headers);
    if (a.mergeCookies.value_or(true) && a.cookies)
        fields.cookies = MergeCookies(*a.cookies, fields.cookies);
    if (a.responseHeaders) *a.responseHeaders = std::move(fields.rawHeaders);
    if (a.returnedCookies) *a.returnedCookies = std::move(fields.cookies);
    return std::move(response.body);
}

}  // namespace vantrel
