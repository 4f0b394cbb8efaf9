#pragma once

#include <string>
#include <string_view>

namespace vantrel {

// Every host the program talks to or opens in the browser. The services own
// these names; keeping them in one table lets a test or the demo send them all
// to a loopback server at once.
enum class ServiceHost {
    kWeiboApi,       // mobile API: the hot-search page
    kWeiboSearch,    // search results and the full hot-search board
    kBaiduBoard,     // real-time board page
    kBaiduSearch,    // web search
    kBaiduOldBoard,  // the older board site, opened by "view all"
    kToutiaoApi,     // suggested words
    kToutiaoSearch,  // search that resolves an entry's link
    kToutiaoHome,    // the web site's home page
    kDouyinCreator,  // creator billboard API
    kDouyinWeb,      // item and author information
    kDouyinShare,    // share pages (the full billboard)
    // Fallbacks, tried when the documented requests give no list.
    kWeiboWeb,     // desktop site: its cookies and its side-bar hot search
    kWeiboMobile,  // mobile site's container API
    kDouyinLogin,  // hands out the cookies the web list wants
    kDouyinWww,    // web list and the hot pages rows link to
    kDouyinLite,   // the lite app's list API
};

// The real host name of a service, e.g. "api.weibo.cn".
std::string_view DefaultHostName(ServiceHost host);

// scheme://host + pathAndQuery. pathAndQuery starts with "/". While a base is
// set, the base replaces scheme, host and port, and the path and query stay.
std::string ServiceUrl(ServiceHost host, std::string_view scheme, std::string_view pathAndQuery);

// Sends every service to base, which is "scheme://host[:port]" (an optional
// trailing "/" is dropped; IPv6 hosts in brackets). An empty base restores
// the real hosts. Returns false, and changes nothing, for anything else.
bool SetServiceBase(std::string_view base);

// The base in force, or empty for the real hosts.
std::string ServiceBase();

// Time-out, in seconds, of every service request (connecting, and any stretch
// with no bytes moving); 0 or less keeps the request routines' own default.
void SetServiceTimeoutSeconds(int seconds);
int ServiceTimeoutSeconds();

}  // namespace vantrel
