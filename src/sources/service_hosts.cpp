#include "sources/service_hosts.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <mutex>

#include "net/curl_transport.h"

namespace vantrel {
namespace {

std::mutex baseMutex;
std::string currentBase;
std::atomic<int> currentTimeoutSeconds{0};

bool IsHostChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '_';
}

bool IsValidPort(std::string_view port) {
    if (port.empty() || port.size() > 5) return false;
    int value = 0;
    for (char c : port) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
        value = value * 10 + (c - '0');
    }
    return value > 0 && value <= 65535;
}

// host[:port], where host is a name, a dotted address or a bracketed IPv6 address.
bool IsValidAuthority(std::string_view authority) {
    std::string_view host = authority;
    std::string_view rest;
    if (!authority.empty() && authority.front() == '[') {
        size_t close = authority.find(']');
        if (close == std::string_view::npos || close == 1) return false;
        for (char c : authority.substr(1, close - 1))
            if (!std::isxdigit(static_cast<unsigned char>(c)) && c != ':' && c != '.') return false;
        rest = authority.substr(close + 1);
    } else {
        size_t colon = authority.find(':');
        host = authority.substr(0, colon);
        if (host.empty()) return false;
        for (char c : host)
            if (!IsHostChar(c)) return false;
        rest = colon == std::string_view::npos ? std::string_view() : authority.substr(colon);
    }
    if (rest.empty()) return true;
    return rest.front() == ':' && IsValidPort(rest.substr(1));
}

}  // namespace

std::string_view DefaultHostName(ServiceHost host) {
    switch (host) {
        case ServiceHost::kWeiboApi:
            return "api.weibo.cn";
        case ServiceHost::kWeiboSearch:
            return "s.weibo.com";
        case ServiceHost::kBaiduBoard:
            return "top.baidu.com";
        case ServiceHost::kBaiduSearch:
            return "www.baidu.com";
        case ServiceHost::kBaiduOldBoard:
            return "top.baidu.com";
        case ServiceHost::kToutiaoApi:
            return "is.snssdk.com";
        case ServiceHost::kToutiaoSearch:
            return "so.toutiao.com";
        case ServiceHost::kToutiaoHome:
            return "www.toutiao.com";
        case ServiceHost::kDouyinCreator:
            return "creator.douyin.com";
        case ServiceHost::kDouyinWeb:
            return "www.iesdouyin.com";
        case ServiceHost::kDouyinShare:
            return "www.iesdouyin.com";
        case ServiceHost::kWeiboWeb:
            return "weibo.com";
        case ServiceHost::kWeiboMobile:
            return "m.weibo.cn";
        case ServiceHost::kDouyinLogin:
            return "login.douyin.com";
        case ServiceHost::kDouyinWww:
            return "www.douyin.com";
        case ServiceHost::kDouyinLite:
            return "aweme-lq.snssdk.com";
    }
    return {};
}

std::string ServiceUrl(ServiceHost host, std::string_view scheme, std::string_view pathAndQuery) {
    std::string url = ServiceBase();
    if (url.empty()) {
        url.assign(scheme);
        url += "://";
        url += DefaultHostName(host);
    }
    url += pathAndQuery;
    return url;
}

bool SetServiceBase(std::string_view base) {
    std::string normalized;
    if (!base.empty()) {
        if (base.back() == '/') base.remove_suffix(1);
        size_t sep = base.find("://");
        if (sep == std::string_view::npos) return false;
        std::string_view scheme = base.substr(0, sep);
        if (scheme != "http" && scheme != "https") return false;
        if (!IsValidAuthority(base.substr(sep + 3))) return false;
        normalized.assign(base);
    }
    std::lock_guard lock(baseMutex);
    currentBase = std::move(normalized);
    return true;
}

std::string ServiceBase() {
    std::lock_guard lock(baseMutex);
    return currentBase;
}

void SetServiceTimeoutSeconds(int seconds) {
    currentTimeoutSeconds = std::max(0, seconds);
    // The blocking routines have one time-out for all their callers.
    SetBlockingTimeoutSeconds(seconds > 0 ? seconds : 30);
}

int ServiceTimeoutSeconds() {
    return currentTimeoutSeconds;
}

}  // namespace vantrel
