#include "sources/search_links.h"

#include <cstdio>

#include "net/code_page.h"
#include "net/inet_request.h"
#include "net/local_text.h"
#include "net/url.h"
#include "sources/service_hosts.h"

namespace vantrel {
namespace {

// UTF-8 percent-encoding with blanks as "%20", which also holds in a path.
std::string EncodeTitle(const std::string& title) {
    return ReplaceAll(UrlEncode(title, true, true), "+", "%20");
}

constexpr const char* kToutiaoHeaders =
    "Authorization\":\"APPCODE 0f3a9c2e7b4d16580e2f4a6c8b1d3e57\r\n"
    "User-Agent: Mozilla/5.0 (Linux; U; Android 8.1.0; zh-cn; BLA-AL00 Build/HUAWEIBLA-AL00) "
    "AppleWebKit/537.36 (KHTML, like Gecko) Version/4.0 Chrome/57.0.2987.132 MQQBrowser/8.9 "
    "Mobile Safari/537.36\r\n";

}  // namespace

std::string WeiboSearchLink(const std::string& title) {
    return ServiceUrl(ServiceHost::kWeiboSearch, "http", "/weibo/" + EncodeTitle(title));
}

std::string BaiduSearchLink(const std::string& title) {
    return ServiceUrl(ServiceHost::kBaiduSearch, "https", "/baidu?&wd=" + EncodeTitle(title));
}

std::string FullBoardLink(int source) {
    switch (source) {
        case 1:
            return ServiceUrl(ServiceHost::kWeiboSearch, "https", "/top/summary?cate=realtimehot");
        case 2:
            return ServiceUrl(ServiceHost::kBaiduOldBoard, "http", "/buzz?b=1");
        case 3:
            return ServiceUrl(ServiceHost::kToutiaoHome, "https", "/");
        case 4:
            return ServiceUrl(ServiceHost::kDouyinShare, "https", "/share/billboard/");
        default:
            return {};
    }
}

std::string ToutiaoSearchLink(const std::string& title) {
    InetRequestArgs args;
    args.url = ServiceUrl(ServiceHost::kToutiaoSearch, "https",
                          "/search/?keyword=" + UrlEncode(title, false, true) +
                              "&pd=synthesis&source=trending_list&traffic_source=");
    args.extraHeaders = std::string(kToutiaoHeaders);
    std::string text = Utf8ToLocal(PercentDecode(InetRequest(args)));
    std::vector<std::string> items = CutAllBetween(text, "url=http", "&amp");
    if (items.size() < 2) return {};
    return "http" + items[0];
}

std::string OpenerLink(const std::string& localLink) {
    std::string out;
    for (const char c : ToUtf8(localLink)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte > 0x20 && byte < 0x7F) {
            out += c;
            continue;
        }
        char escape[4];
        std::snprintf(escape, sizeof escape, "%%%02X", byte);
        out += escape;
    }
    return out;
}

}  // namespace vantrel
