#include "net/http_request.h"

#include <array>
#include <optional>

#include "net/answer_headers.h"
#include "net/code_page.h"
#include "net/curl_exchange.h"
#include "net/header_cookie.h"
#include "net/local_text.h"
#include "net/pending_messages.h"
#include "net/regex_object.h"
#include "net/url.h"

namespace vantrel {
namespace {

// The error texts a caller finds in statusText, by number; the certificate
// text has none. Kept in UTF-8 here and handed out as local text.
enum class Failure {
    kNoHttpStack,     // 700
    kBadUrl,          // 701
    kNoSession,       // 702
    kNoConnection,    // 703
    kNoRequest,       // 704
    kTimeouts,        // 705
    kCredentials,     // 707
    kCertificate,     // (no number)
    kCookieOption,    // 708
    kRedirectOption,  // 709
    kHeaders,         // 710
    kSend,            // 711
    kNoResponse,      // 712
    kRead,            // 713
};

std::string FailureText(Failure failure) {
    static constexpr std::array<const char*, 14> kTexts = {
        "700 当前系统不支持WinHttp服务!",
        "701 解析URL地址失败!",
        "702 创建WinHttp会话失败!",
        "703 创建WinHttp连接失败!",
        "704 创建WinHttp请求失败!",
        "705 设置超时时间失败!",
        "707 设置代理凭证失败!",
        "忽略错误/证书错误  失败！",
        "708 禁止自动设置Cookies失败!",
        "709 重定向设置失败!",
        "710 设置协议头失败!",
        "711 发送请求失败!",
        "712 服务器未响应!",
        "713 读取数据失败!",
    };
    return Utf8ToLocal(std::string_view(kTexts[static_cast<std::size_t>(failure)]));
}

struct DefaultHeader {
    std::string_view probe;
    std::string_view line;
    bool postOnly;
};

// Added in this order when the probe is nowhere in the block (letter case
// ignored). Only the Content-Type probe has no blank after its colon.
constexpr std::array<DefaultHeader, 6> kDefaultHeaders = {{
    {"User-Agent: ",
     "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n",
     false},
    {"Accept: ", "Accept: text/html, application/xhtml+xml, */*\r\n", false},
    {"Accept-Encoding: ", "Accept-Encoding: identity\r\n", false},
    {"Accept-Language: ", "Accept-Language: zh-cn\r\n", false},
    {"Content-Type:", "Content-Type: application/x-www-form-urlencoded\r\n", true},
    {"Cache-Control: ", "Cache-Control: no-cache\r\n", false},
}};

constexpr std::string_view kCharsetPattern = "<meta.+?charset=[^\\w]?([-\\w]+)";

bool Contains(std::string_view text, std::string_view needle, bool ignoreCase) {
    return Find(text, needle, 1, ignoreCase) != -1;
}

std::string RequestHeaderBlock(const HttpRequestArgs& a, int method, std::string_view cookies) {
    std::string extra = a.extraHeaders.value_or("");
    std::string block = extra.empty() ? std::string() : extra + "\r\n";
    if (a.defaultHeaders.value_or(true)) {
        for (const DefaultHeader& row : kDefaultHeaders) {
            if (row.postOnly && method != 1) continue;
            if (!Contains(block, row.probe, true)) block += row.line;
        }
    }
    if (a.normalizeHeaderNames.value_or(true)) block = NormalizeHeaderNames(block);
    if (Contains(block, "Connection", false) && HeaderValue(block, "Connection") == "keep-alive")
        block = ReplaceAll(block, "Connection: keep-alive\r\n", "");
    if (!Contains(block, "Cookie:", true) && !cookies.empty()) {
        block += "\r\n";
        if (!Contains(cookies, "Cookie:", true)) block += "Cookie: ";
        block.append(OneLine(cookies)).append("\r\n");
    }
    return block;
}

// URLs libcurl's parser accepts as http or https; the parse is thrown away
// (a fresh CURLU for each URL: a used one reads the next as relative).
bool SplitsAsHttpUrl(const std::string& url) {
    CURLU* parts = curl_url();
    if (!parts) return false;
    bool ok = curl_url_set(parts, CURLUPART_URL, url.c_str(), 0) == CURLUE_OK;
    char* scheme = nullptr;
    ok = ok && curl_url_get(parts, CURLUPART_SCHEME, &scheme, 0) == CURLUE_OK;
    ok = ok && (std::string_view(scheme) == "http" || std::string_view(scheme) == "https");
    curl_free(scheme);
    curl_url_cleanup(parts);
    return ok;
}

// The body in the declared charset, as local text. A charset iconv does not
// know leaves the bytes as they are rather than losing the page.
std::string DecodeDeclared(const std::string& charset, const std::string& body,
                           std::string undecoded) {
    std::optional<std::string> local = CharsetToLocal(body, charset);
    return local ? std::move(*local) : std::move(undecoded);
}

void Put(std::string* target, std::string value) {
    if (target) *target = std::move(value);
}

// What the request holds on to until the exchange is over.
struct Prepared {
    std::string body;
    curl::HeaderList headers;
};

// Sets up the handle, step by step; each numbered error text is tied to the
// libcurl step that stands for it. Returns the failure of the first step
// that fails.
std::optional<Failure> Prepare(CURL* e, curl::Response& response, const HttpRequestArgs& a,
                               const std::string& address, Prepared& prepared) {
    // 702 (continued): the proxy belongs to the session. Through a proxy an
    // https address is tunnelled (CONNECT) and an http one asked for in
    // absolute form, as with a named "http=" proxy.
    const std::string proxy = a.proxy.value_or("");
    if (!proxy.empty() && curl_easy_setopt(e, CURLOPT_PROXY, proxy.c_str()) != CURLE_OK)
        return Failure::kNoSession;

    // 705: one time-out for resolving, connecting, sending and receiving.
    const long seconds = a.timeoutSeconds.value_or(0) > 0 ? *a.timeoutSeconds : 30;
    if (curl::SetTimeouts(e, response, seconds) != CURLE_OK) return Failure::kTimeouts;

    // 703: the connection's address.
    if (curl_easy_setopt(e, CURLOPT_URL, address.c_str()) != CURLE_OK)
        return Failure::kNoConnection;

    // 704: the request's verb and body.
    int method = a.method.value_or(0);
    if (method < 0 || method > 7) method = 0;
    prepared.body = a.postBytes && !a.postBytes->empty() ? *a.postBytes : a.postText.value_or("");
    const bool sendsBody = !prepared.body.empty() || method == 1 || method == 3;
    if (curl::SetMethod(e, method, sendsBody ? &prepared.body : nullptr) != CURLE_OK)
        return Failure::kNoRequest;

    // 707: basic credentials, each pair only when both halves are given.
    const std::string user = a.userName.value_or(""), password = a.password.value_or("");
    if (!user.empty() && !password.empty() &&
        (curl_easy_setopt(e, CURLOPT_HTTPAUTH, CURLAUTH_BASIC) != CURLE_OK ||
         curl_easy_setopt(e, CURLOPT_USERNAME, user.c_str()) != CURLE_OK ||
         curl_easy_setopt(e, CURLOPT_PASSWORD, password.c_str()) != CURLE_OK))
        return Failure::kCredentials;
    const std::string proxyUser = a.proxyUser.value_or("");
    const std::string proxyPassword = a.proxyPassword.value_or("");
    if (!proxyUser.empty() && !proxyPassword.empty() &&
        (curl_easy_setopt(e, CURLOPT_PROXYAUTH, CURLAUTH_BASIC) != CURLE_OK ||
         curl_easy_setopt(e, CURLOPT_PROXYUSERNAME, proxyUser.c_str()) != CURLE_OK ||
         curl_easy_setopt(e, CURLOPT_PROXYPASSWORD, proxyPassword.c_str()) != CURLE_OK))
        return Failure::kCredentials;

    // Certificate text: the checks are switched on here, never off.
    if (curl::VerifyTls(e) != CURLE_OK) return Failure::kCertificate;

    // 708: nothing to switch off. A libcurl handle has no cookie engine
    // unless one is asked for, so it neither stores nor sends cookies of its
    // own, with or without the caller's list.

    // 709: redirects followed by libcurl (the answer seen is the last one) or not.
    if (curl::SetRedirects(e, response, !a.noRedirect.value_or(false)) != CURLE_OK)
        return Failure::kRedirectOption;

    // 710: the header block, sent line for line.
    const std::string cookies = a.cookies ? *a.cookies : std::string();
    prepared.headers = curl::HeaderLines(RequestHeaderBlock(a, method, cookies),
                                         !user.empty() && !password.empty());
    if (curl_easy_setopt(e, CURLOPT_HTTPHEADER, prepared.headers.get()) != CURLE_OK)
        return Failure::kHeaders;
    return std::nullopt;
}

// Status text, Location and cookies out of the answer's header block.
void ReportHeaders(const HttpRequestArgs& a, const curl::Response& response, bool readFailed) {
    HttpAnswerFields fields = ReadHttpAnswerHeaders(response.headers);
    // A broken read keeps its 713 text, so the caller can tell a cut body
    // from a whole one.
    Put(a.responseHeaders, response.headers);
    Put(a.statusText, readFailed ? FailureText(Failure::kRead) : std::move(fields.statusText));
    if (fields.location) Put(a.location, std::move(*fields.location));
    if (a.mergeCookies.value_or(true) && a.cookies && !a.cookies->empty())
        fields.cookies = MergeCookies(*a.cookies, fields.cookies);
    Put(a.returnedCookies, std::move(fields.cookies));
}

// The body as local text: decoded from a charset declared in its first 1024
// bytes, unless that names local text itself; else the bytes up to the first
// zero byte.
std::string ResultText(const std::string& body) {
    std::string text = body.substr(0, body.find('\0'));
    RegexObject charsetFinder;
    charsetFinder.Search(kCharsetPattern, std::string_view(text).substr(0, 1024));
    const std::string declared = charsetFinder.SubMatchText(1, 1);
    if (!declared.empty() && !IsLocalCharset(declared))
        text = DecodeDeclared(declared, body, std::move(text));
    return text;
}

}  // namespace

std::string HttpRequest(const HttpRequestArgs& a) {
    auto fail = [&](Failure failure) {
        Put(a.statusText, FailureText(failure));
        ProcessPendingMessages();
        return std::string();
    };
    // 700: libcurl's global start-up failed.
    if (!curl::Available()) return fail(Failure::kNoHttpStack);
    // 701: not an http(s) URL libcurl can take apart, once credentials are
    // out of it and what it cannot carry is escaped.
    const std::string address = RequestUrl(a.url);
    if (!SplitsAsHttpUrl(address)) return fail(Failure::kBadUrl);
    // 702: the easy handle is the session.
    curl::Response response;
    curl::Easy easy = curl::NewEasy(response);
    if (!easy) return fail(Failure::kNoSession);
    Prepared prepared;
    if (auto failure = Prepare(easy.get(), response, a, address, prepared)) return fail(*failure);

    // 711/712/713: the exchange itself. Not connected, TLS refused or the
    // request not written: 711. Written, but no complete header block back
    // (silence past the time-out included): 712. Headers in, body broken off
    // or cut at the cap: 713, and the call goes on with what arrived.
    CURLcode code = curl::PerformPumped(easy.get());
    switch (curl::Classify(easy.get(), code, response)) {
        case curl::Outcome::kNotSent:
            return fail(Failure::kSend);
        case curl::Outcome::kNoResponse:
            return fail(Failure::kNoResponse);
        case curl::Outcome::kReadFailed:
        case curl::Outcome::kComplete:
            break;
    }
    ReportHeaders(a, response, !curl::Completed(code, response));
    std::string text = ResultText(response.body);
    Put(a.responseBytes, std::move(response.body));
    ProcessPendingMessages();
    return text;
}

}  // namespace vantrel
