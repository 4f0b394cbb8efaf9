#pragma once

#include <optional>
#include <string>

namespace vantrel {

// The arguments of one InetRequest call, in their documented order (see
// HttpRequestArgs for how optional and out arguments work). Whether cookies is
// supplied at all matters: a supplied list, even an empty one, switches the
// library's own cookie store off for the call and is merged afterwards.
struct InetRequestArgs {
    std::string url{};                           // absolute address
    std::optional<int> method{};                 // 0 GET (default) .. 7 CONNECT; others mean GET
    std::optional<std::string> postText{};       // body when postBytes is empty
    std::string* cookies = nullptr;              // in/out; null = not supplied
    std::string* returnedCookies = nullptr;      // out
    std::optional<std::string> extraHeaders{};   // the caller's header lines
    std::string* responseHeaders = nullptr;      // out: raw header block, or 5000 blanks
    std::optional<bool> noRedirect{};            // default false
    std::string* postBytes = nullptr;            // in/out: filled from postText for non-GET verbs
    std::optional<std::string> proxy{};          // "host:port"; empty means no proxy
    std::optional<bool> mergeCookies{};          // default true
    std::optional<bool> defaultHeaders{};        // default true
    std::optional<bool> normalizeHeaderNames{};  // default true
    std::optional<bool> useSocks{};              // the proxy is a SOCKS proxy
};

// One exchange that blocks the calling thread (no pending messages run) within
// the bounded time-outs of net/curl_transport.h. Returns the body bytes; empty
// when no answer came at all, with the header block and returned cookies
// empty (merged with supplied cookies, as after any answer). Only a request
// that could not be set up leaves the out arguments as they were. Without
// supplied cookies, cookies live in a process-wide in-memory store shared by
// such calls, as a system HTTP library's store would.
std::string InetRequest(const InetRequestArgs& args);

}  // namespace vantrel
