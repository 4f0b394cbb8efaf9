#include "sources/list_fetchers.h"

#include "json/json_object.h"
#include "net/code_page.h"
#include "net/http_request.h"
#include "net/inet_request.h"
#include "net/local_text.h"
#include "net/url.h"
#include "sources/service_hosts.h"

namespace vantrel {
namespace {

constexpr int kMinimumFilledCount = 23;  // Weibo and Douyin pages with fewer are unusable

// The body through HttpRequest; false when no whole answer came: the status
// text then holds one of the routine's error texts, 700 to 713 (713: the body
// broke off or hit the size cap, which counts as no answer too).
bool HttpGet(const std::string& url, std::string& body) {
    std::string statusText;
    HttpRequestArgs args;
    args.url = url;
    args.statusText = &statusText;
    if (ServiceTimeoutSeconds() > 0) args.timeoutSeconds = ServiceTimeoutSeconds();
    body = HttpRequest(args);
    const std::string code = statusText.substr(0, 3);
    return !(code.size() == 3 && code >= "700" && code <= "713");
}

// The body through InetRequest; false when no answer came at all.
bool InetGet(const std::string& url, std::string& body) {
    std::string headers;
    InetRequestArgs args;
    args.url = url;
    args.responseHeaders = &headers;
    body = InetRequest(args);
    return !headers.empty();
}

// Reads a parsed document's entries; a page that does not parse is kUnparsed.
template <typename ReadEntries>
FetchResult ReadJson(const std::string& localText, int rankBase, ReadEntries read) {
    FetchResult result;
    result.rankBase = rankBase;
    JsonObject json = JsonObject::Create();
    JsonError error;
    if (!json.Load(localText, false, error, false)) {
        result.status = FetchStatus::kUnparsed;
        json.Destroy();
        return result;
    }
    result.status = FetchStatus::kParsed;
    read(json, result.entries);
    json.Destroy();
    return result;
}

}  // namespace

FetchResult FetchWeibo() {
    std::string body;
    if (!HttpGet(ServiceUrl(ServiceHost::kWeiboApi, "https",
                            "/2/guest/page?containerid=106003&filter_type=realtimehot"),
                 body))
        return {FetchStatus::kRequestFailed, 0, {}};
    return ReadJson(Utf8ToLocal(body), 0, [](JsonObject& json, std::vector<ListEntry>& entries) {
        const std::string group = "cards[0]['card_group']";
        int count = json.GetCount(group);
        if (count < kMinimumFilledCount) return;
        for (int k = 0; k < count; ++k) {
            const std::string item = group + "[" + std::to_string(k) + "]";
            ListEntry entry;
            entry.title = json.GetText(item + ".desc", false);
            entry.tag = TextBetween(json.GetText(item + ".icon", false), "_", "_small.png");
            entries.push_back(std::move(entry));
        }
    });
}

FetchResult ReadBaiduBoard(const std::string& body) {
    std::string data =
        TextBetween(Utf8ToLocal(body), "<!--s-data:", "--> <div class=\"bg-wrapper\">");
    return ReadJson(data, 0, [](JsonObject& json, std::vector<ListEntry>& entries) {
        int count = json.GetCount("data.cards[0].content");
        for (int k = 0; k < count; ++k) {
            const std::string item = "data.cards[0].content[" + std::to_string(k) + "]";
            ListEntry entry;
            entry.title = json.GetText(item + ".word", false);
            entry.tag = json.GetText(item + ".hotTag", false);
            entry.description = json.GetText(item + ".desc", false);
            entries.push_back(std::move(entry));
        }
    });
}

FetchResult FetchBaidu() {
    std::string body;
    if (!InetGet(ServiceUrl(ServiceHost::kBaiduBoard, "https", "/board?tab=realtime"), body))
        return {FetchStatus::kRequestFailed, 0, {}};
    return ReadBaiduBoard(body);
}

FetchResult ReadToutiaoWords(const std::string& body) {
    FetchResult result{FetchStatus::kParsed, 1, {}};
    std::string text = Utf8ToLocal(PercentDecode(body, true));
    for (std::string& word : CutAllBetween(text, "word\":\"", "\"")) {
        ListEntry entry;
        entry.title = std::move(word);
        result.entries.push_back(std::move(entry));
    }
    return result;
}

FetchResult FetchToutiao() {
    std::string body;
    if (!InetGet(
            ServiceUrl(ServiceHost::kToutiaoApi, "https", "/api/suggest_words/?business_id=10017"),
            body))
        return {FetchStatus::kRequestFailed, 1, {}};
    return ReadToutiaoWords(body);
}

FetchResult FetchDouyin() {
    std::string body;
    if (!HttpGet(ServiceUrl(ServiceHost::kDouyinCreator, "https",
                            "/aweme/v1/creator/data/billboard/?billboard_type=1"),
                 body))
        return {FetchStatus::kRequestFailed, 1, {}};
    return ReadJson(Utf8ToLocal(body), 1, [](JsonObject& json, std::vector<ListEntry>& entries) {
        int count = json.GetCount("billboard_data");
        if (count < kMinimumFilledCount) return;
        for (int k = 0; k < count; ++k) {
            const std::string item = "['billboard_data'][" + std::to_string(k) + "]";
            ListEntry entry;
            entry.title = json.GetText("billboard_data[" + std::to_string(k) + "].title", false);
            int n = json.GetCount(item + "['extra_list']");
            // Each link goes in front, so the stored order is the reverse of the answer's.
            std::string links;
            for (int j = 0; j < n; ++j)
                links =
                    json.GetText(item + "['extra_list'][" + std::to_string(j) + "].link", false) +
                    "|" + links;
            size_t last = links.rfind('|');
            entry.links = last == std::string::npos ? std::string() : links.substr(0, last);
            entries.push_back(std::move(entry));
        }
    });
}

}  // namespace vantrel
