#include "sources/list_fetchers.h"

#include <chrono>
#include <vector>

#include "net/code_page.h"
#include "net/curl_transport.h"
#include "net/local_text.h"
#include "net/url.h"
#include "sources/list_readers.h"
#include "sources/request_chain.h"
#include "sources/service_answer.h"
#include "sources/service_hosts.h"

namespace vantrel {
namespace {

constexpr int kMinimumFilledCount = 23;  // Weibo and Douyin pages with fewer are unusable

// Reads an answer with reader; minimum is the source's entry threshold.
template <typename Reader>
Attempt ReadAnswer(const ServiceAnswer& answer, const std::string& text, int rankBase, int minimum,
                   Reader reader) {
    Attempt attempt;
    attempt.result.rankBase = rankBase;
    attempt.failure.failure = AnswerFailure(answer);
    attempt.failure.httpStatus = answer.httpStatus;
    attempt.failure.retryAfterSeconds = answer.retryAfterSeconds;
    if (!answer.arrived) return attempt;
    std::vector<ListEntry> entries;
    if (!reader(text, entries)) {
        attempt.result.status = FetchStatus::kUnparsed;
        if (attempt.failure.failure == FetchFailure::kNone)
            attempt.failure.failure = FetchFailure::kUnreadable;
        return attempt;
    }
    attempt.result.status = FetchStatus::kParsed;
    if (static_cast<int>(entries.size()) < minimum) {
        if (attempt.failure.failure == FetchFailure::kNone)
            attempt.failure.failure = FetchFailure::kTooFew;
        return attempt;
    }
    // An error page that happens to read as a list is still an error.
    if (attempt.failure.failure == FetchFailure::kNone) attempt.result.entries = std::move(entries);
    return attempt;
}

int FallbackTimeout() {
    return ServiceTimeoutSeconds() > 0 ? ServiceTimeoutSeconds() : CurrentBlockingTimeoutSeconds();
}

// A source's whole chain of requests waits at most the one time-out.
FetchResult FirstList(const std::vector<Request>& requests) {
    return FirstList(requests, TimingFor(std::chrono::seconds(FallbackTimeout()), requests.size()));
}

Attempt HttpJsonAttempt(const ServiceCall& call, int rankBase, int minimum,
                        bool (*reader)(const std::string&, std::vector<ListEntry>&)) {
    const ServiceAnswer answer = HttpAnswer(call);
    return ReadAnswer(answer, Utf8ToLocal(answer.body), rankBase, minimum, reader);
}

Attempt WeiboDocumented() {
    ServiceCall call;
    call.url = ServiceUrl(ServiceHost::kWeiboApi, "https",
                          "/2/guest/page?containerid=106003&filter_type=realtimehot");
    return HttpJsonAttempt(call, 0, kMinimumFilledCount, ReadWeiboCards);
}

Attempt WeiboSideHot() {
    ServiceCall call;
    call.url = ServiceUrl(ServiceHost::kWeiboWeb, "https", "/ajax/side/hotSearch");
    call.browserAgent = true;
    call.timeoutSeconds = FallbackTimeout();
    call.headers = "Referer: https://weibo.com/";
    const std::string cookies =
        BootstrapCookies(ServiceUrl(ServiceHost::kWeiboWeb, "https", "/"), call.timeoutSeconds);
    if (!cookies.empty()) call.headers += "\r\nCookie: " + cookies;
    return HttpJsonAttempt(call, 0, kMinimumFilledCount, ReadWeiboSideHot);
}

Attempt WeiboMobileContainer() {
    ServiceCall call;
    call.url = ServiceUrl(ServiceHost::kWeiboMobile, "https",
                          "/api/container/getIndex?containerid=106003type%3D25%26t%3D3%26disable_"
                          "hot%3D1%26filter_type%3Drealtimehot");
    call.timeoutSeconds = FallbackTimeout();
    call.headers = "MWeibo-Pwa: 1\r\nX-Requested-With: XMLHttpRequest";
    return HttpJsonAttempt(call, 0, kMinimumFilledCount, ReadWeiboCards);
}

ServiceAnswer ArrivedAnswer(const std::string& body) {
    ServiceAnswer answer;
    answer.arrived = true;
    answer.body = body;
    return answer;
}

Attempt BaiduAttempt(const ServiceAnswer& answer) {
    const std::string data =
        TextBetween(Utf8ToLocal(answer.body), "<!--s-data:", "--> <div class=\"bg-wrapper\">");
    return ReadAnswer(answer, data, 0, 1, ReadBaiduData);
}

Attempt BaiduDocumented() {
    return BaiduAttempt(
        InetAnswer(ServiceUrl(ServiceHost::kBaiduBoard, "https", "/board?tab=realtime")));
}

// The words are cut out of the decoded answer; any answer counts as read.
Attempt ToutiaoAttempt(const ServiceAnswer& answer) {
    const std::string text = Utf8ToLocal(PercentDecode(answer.body, true));
    return ReadAnswer(answer, text, 1, 1, [](const std::string& decoded, auto& entries) {
        for (std::string& word : CutAllBetween(decoded, "word\":\"", "\"")) {
            ListEntry entry;
            entry.title = std::move(word);
            entries.push_back(std::move(entry));
        }
        return true;
    });
}

Attempt ToutiaoDocumented() {
    return ToutiaoAttempt(InetAnswer(
        ServiceUrl(ServiceHost::kToutiaoApi, "https", "/api/suggest_words/?business_id=10017")));
}

Attempt ToutiaoHotBoard() {
    ServiceCall call;
    call.url =
        ServiceUrl(ServiceHost::kToutiaoHome, "https", "/hot-event/hot-board/?origin=toutiao_pc");
    call.browserAgent = true;
    call.timeoutSeconds = FallbackTimeout();
    return HttpJsonAttempt(call, 1, 1, ReadToutiaoHotBoard);
}

Attempt DouyinDocumented() {
    ServiceCall call;
    call.url = ServiceUrl(ServiceHost::kDouyinCreator, "https",
                          "/aweme/v1/creator/data/billboard/?billboard_type=1");
    return HttpJsonAttempt(call, 1, kMinimumFilledCount, ReadDouyinBillboard);
}

Attempt DouyinWebList() {
    ServiceCall call;
    call.url = ServiceUrl(ServiceHost::kDouyinWww, "https",
                          "/aweme/v1/web/hot/search/list/"
                          "?device_platform=webapp&aid=6383&channel=channel_pc_web&detail_list=1");
    call.browserAgent = true;
    call.timeoutSeconds = FallbackTimeout();
    const std::string cookies =
        BootstrapCookies(ServiceUrl(ServiceHost::kDouyinLogin, "https", "/"), call.timeoutSeconds);
    if (!cookies.empty()) call.headers = "Cookie: " + cookies;
    return HttpJsonAttempt(call, 1, kMinimumFilledCount, ReadDouyinWordList);
}

Attempt DouyinLiteList() {
    ServiceCall call;
    call.url = ServiceUrl(ServiceHost::kDouyinLite, "https",
                          "/aweme/v1/hot/search/list/?aid=1128&version_code=880");
    call.timeoutSeconds = FallbackTimeout();
    return HttpJsonAttempt(call, 1, kMinimumFilledCount, ReadDouyinWordList);
}

}  // namespace

FetchResult FetchWeibo() {
    return FirstList({WeiboDocumented, WeiboSideHot, WeiboMobileContainer});
}

FetchResult FetchBaidu() {
    return FirstList({BaiduDocumented});
}

FetchResult FetchToutiao() {
    return FirstList({ToutiaoDocumented, ToutiaoHotBoard});
}

FetchResult FetchDouyin() {
    return FirstList({DouyinDocumented, DouyinWebList, DouyinLiteList});
}

FetchResult ReadBaiduBoard(const std::string& body) {
    return BaiduAttempt(ArrivedAnswer(body)).result;
}

FetchResult ReadToutiaoWords(const std::string& body) {
    return ToutiaoAttempt(ArrivedAnswer(body)).result;
}

}  // namespace vantrel
