#include "net/http_get_bytes.h"

#include "net/curl_exchange.h"
#include "net/url.h"

namespace vantrel {

std::string HttpGetBytes(std::string_view url) {
    if (!curl::Available()) return {};
    curl::Response response;
    curl::Easy easy = curl::NewEasy(response);
    if (!easy) return {};
    CURL* e = easy.get();
    const std::string address = RequestUrl(url);
    curl::HeaderList headers = curl::HeaderLines("Accept: */*");
    if (curl_easy_setopt(e, CURLOPT_URL, address.c_str()) != CURLE_OK ||
        curl_easy_setopt(e, CURLOPT_USERAGENT, curl::DEFAULT_AGENT) != CURLE_OK ||
        curl_easy_setopt(e, CURLOPT_HTTPHEADER, headers.get()) != CURLE_OK ||
        curl::SetTimeouts(e, response, curl::BlockingTimeoutSeconds()) != CURLE_OK ||
        curl::VerifyTls(e) != CURLE_OK || curl::SetRedirects(e, response, true) != CURLE_OK)
        return {};
    // A cut or failed download, or an error page, is no file to save.
    if (curl::PerformBlocking(e) != CURLE_OK || response.capped || response.status >= 400)
        return {};
    return std::move(response.body);
}

}  // namespace vantrel
