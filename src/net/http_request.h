#pragma once

#include <optional>
#include <string>

namespace vantrel {

// The arguments of one HttpRequest call, in their documented order, so that a
// caller can name only the ones it supplies (every member has a default
// initialiser, so designated initialisers leave no warning):
//   HttpRequest({.url = u, .method = 1, .noRedirect = true, .location = &where});
// An optional left empty is "not supplied" and takes the default noted beside
// it; a supplied value (false included) is used as it stands. Out and in/out
// arguments point at the caller's variables; a null pointer means the caller
// does not want that value. All texts are local text; byte arrays are
// std::string holding raw bytes.
struct HttpRequestArgs {
    std::string url{};                          // absolute http:// or https:// address
    std::optional<int> method{};                // 0 GET (default) .. 7 CONNECT; others mean GET
    std::optional<std::string> postText{};      // body when postBytes is empty
    std::string* cookies = nullptr;             // in/out: sent, then rewritten by the merge
    std::string* returnedCookies = nullptr;     // out: the answer's Set-Cookie items
    std::optional<std::string> extraHeaders{};  // the caller's header lines, CR LF separated
    std::string* responseHeaders = nullptr;     // out: the answer's raw header block
    std::optional<bool> noRedirect{};           // default false: redirects are followed
    std::optional<std::string> userName{};      // basic credentials at the server
    std::optional<std::string> password{};
    std::optional<std::string> proxy{};      // "host:port"; empty means no proxy
    std::optional<std::string> proxyUser{};  // basic credentials at the proxy
    std::optional<std::string> proxyPassword{};
    std::optional<int> timeoutSeconds{};         // below 1 (default) means 30 s for every phase
    std::string* location = nullptr;             // out: the answer's "Location: " value
    std::string* statusText = nullptr;           // out: "200 OK", or an error text 700..713
    std::string* responseBytes = nullptr;        // out: the body, byte for byte
    std::optional<bool> mergeCookies{};          // default true
    std::optional<bool> defaultHeaders{};        // default true
    std::optional<std::string> postBytes{};      // body; wins over postText when not empty
    std::optional<bool> normalizeHeaderNames{};  // default true
};

// One complete HTTP(S) exchange on a fresh connection: nothing (cookies,
// connections) survives between calls. While it waits it keeps calling
// ProcessPendingMessages(), so the window stays live; a handler run from there
// may start another request. Returns the body as local text: decoded when the
// page declares a charset other than gbk/gb2312 in its first 1024 bytes, else
// its bytes up to the first zero byte. On failure returns an empty text and
// puts the error text into statusText; an HTTP error status is not a failure.
// Certificates are always verified (see SetExtraCaFile).
std::string HttpRequest(const HttpRequestArgs& args);

}  // namespace vantrel
