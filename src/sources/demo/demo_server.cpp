#include "sources/demo/demo_server.h"

#include <string_view>

#include "sources/demo/demo_samples.h"

namespace vantrel {
namespace {

constexpr const char* kJson = "application/json; charset=utf-8";
constexpr const char* kHtml = "text/html; charset=utf-8";

std::string ReplaceAll(std::string text, std::string_view from, std::string_view to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

std::string EscapeHtml(std::string_view text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string DigitsOnly(std::string_view text) {
    std::string digits;
    for (char c : text)
        if (c >= '0' && c <= '9') digits += c;
    return digits;
}

HttpServerResponse Sample(std::string_view name, const char* type, const std::string& base) {
    HttpServerResponse response;
    response.contentType = type;
    response.body = ReplaceAll(std::string(DemoSample(name)), "@BASE@", base);
    response.body =
        ReplaceAll(std::move(response.body), "@HOST@", base.substr(base.find("//") + 2));
    return response;
}

HttpServerResponse Media(std::string_view name, const char* type) {
    HttpServerResponse response;
    response.contentType = type;
    response.body = std::string(DemoSample(name));
    return response;
}

// What a browser shows for a search or board link while the demo runs.
HttpServerResponse LinkPage(const HttpServerRequest& request) {
    HttpServerResponse response;
    response.contentType = kHtml;
    response.body =
        "<!doctype html><html><head><meta charset=\"utf-8\"><title>Vantrel 演示</title></head>"
        "<body><h1>演示模式</h1><p>程序打开的链接：</p><pre>" +
        EscapeHtml(request.target) + "</pre></body></html>\n";
    return response;
}

HttpServerResponse NotFound() {
    HttpServerResponse response;
    response.status = 404;
    response.body = "not found\n";
    return response;
}

HttpServerResponse Unavailable() {
    HttpServerResponse response;
    response.status = 503;
    response.body = "unavailable\n";
    return response;
}

// The two sites that hand out cookies before their lists answer.
HttpServerResponse CookieHome() {
    HttpServerResponse response;
    response.contentType = kHtml;
    response.headers.emplace_back("Set-Cookie", "SUB=demo-visitor; Path=/; HttpOnly");
    response.headers.emplace_back("Set-Cookie", "ttwid=1%7Cdemo; Path=/; HttpOnly");
    response.body = "<!doctype html><html><body>ok</body></html>\n";
    return response;
}

// The fallback list requests; an empty response.body when the path is none.
HttpServerResponse FallbackAnswer(const HttpServerRequest& request, const std::string& base) {
    const std::string path = request.Path();
    if (path == "/ajax/side/hotSearch") return Sample("weibo_side_hot.json", kJson, base);
    if (path == "/api/container/getIndex") return Sample("weibo_hot.json", kJson, base);
    if (path == "/hot-event/hot-board/") return Sample("toutiao_hot_board.json", kJson, base);
    if (path == "/aweme/v1/web/hot/search/list/" || path == "/aweme/v1/hot/search/list/")
        return Sample("douyin_word_list.json", kJson, base);
    return {};
}

}  // namespace

HttpServerResponse DemoAnswer(const HttpServerRequest& request, const std::string& base,
                              bool failDocumented) {
    const std::string path = request.Path();
    const std::string query = request.Query();
    if (request.method == "GET") {
        if (path == "/") return CookieHome();
        HttpServerResponse fallback = FallbackAnswer(request, base);
        if (!fallback.body.empty()) return fallback;
    }
    if (failDocumented) {
        if (path == "/board" && query == "tab=realtime")
            return Sample("baidu_board_nested.html", kHtml, base);
        if (path == "/2/guest/page" || path == "/api/suggest_words/" ||
            path == "/aweme/v1/creator/data/billboard/")
            return Unavailable();
    }
    if (path == "/aweme/v1/play/" || path == "/aweme/v1/playwm/") {
        HttpServerResponse response;
        response.status = 302;
        response.headers.emplace_back("Location", base + "/demo/video.mp4");
        return response;
    }
    if (request.method != "GET" && request.method != "HEAD") {
        HttpServerResponse response;
        response.status = 405;
        return response;
    }
    if (path == "/2/guest/page")
        return query == "containerid=106003&filter_type=realtimehot"
                   ? Sample("weibo_hot.json", kJson, base)
                   : NotFound();
    if (path == "/board")
        return query == "tab=realtime" ? Sample("baidu_board.html", kHtml, base) : NotFound();
    if (path == "/api/suggest_words/")
        return query == "business_id=10017" ? Sample("toutiao_words.json", kJson, base)
                                            : NotFound();
    if (path == "/aweme/v1/creator/data/billboard/")
        return query == "billboard_type=1" ? Sample("douyin_billboard.json", kJson, base)
                                           : NotFound();
    if (path == "/search/" && !request.QueryValue("keyword").empty())
        return Sample("toutiao_search.html", kHtml, base);
    if (path == "/web/api/v2/aweme/iteminfo/") {
        // Only digits reach the answer: the id is pasted into JSON text.
        std::string id = DigitsOnly(request.QueryValue("item_ids"));
        if (id.empty()) {
            HttpServerResponse response;
            response.contentType = kJson;
            response.body = "{\"status_code\":8,\"status_msg\":\"item_ids is empty\"}\n";
            return response;
        }
        HttpServerResponse response = Sample("douyin_item.json", kJson, base);
        response.body = ReplaceAll(std::move(response.body), "@ID@", id);
        return response;
    }
    if (path == "/web/api/v2/user/info/") return Sample("douyin_user.json", kJson, base);
    if (path == "/demo/video.mp4") return Media("demo_video.mp4", "video/mp4");
    if (path == "/demo/avatar.jpg") return Media("demo_avatar.jpg", "image/jpeg");
    if (path == "/favicon.ico") return NotFound();
    return LinkPage(request);
}

DemoServer::DemoServer(bool failDocumented)
    : server_([this, failDocumented](const HttpServerRequest& request) {
          return DemoAnswer(request, Base(), failDocumented);
      }) {}

}  // namespace vantrel
