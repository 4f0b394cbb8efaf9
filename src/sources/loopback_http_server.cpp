#include "sources/loopback_http_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <optional>

namespace vantrel {
namespace {

constexpr size_t kMaxHeaderBytes = 64 * 1024;
constexpr size_t kMaxBodyBytes = 8 * 1024 * 1024;
// A connection that stays silent this long is closed, so that idle
// keep-alive connections do not pile up threads.
constexpr int kIdleSeconds = 30;

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

const char* Reason(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 206:
            return "Partial Content";
        case 301:
            return "Moved Permanently";
        case 302:
            return "Found";
        case 400:
            return "Bad Request";
        case 404:
            return "Not Found";
        case 405:
            return "Method Not Allowed";
        case 413:
            return "Payload Too Large";
        case 416:
            return "Range Not Satisfiable";
        case 500:
            return "Internal Server Error";
        default:
            return "Status";
    }
}

bool SendAll(int fd, std::string_view data) {
    while (!data.empty()) {
        ssize_t n = ::send(fd, data.data(), data.size(), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

std::optional<size_t> ParseSize(std::string_view text) {
    size_t value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
    return value;
}

// Parses the head (request line and header lines, without the blank line).
std::optional<HttpServerRequest> ParseHead(std::string_view head) {
    HttpServerRequest request;
    size_t lineEnd = head.find("\r\n");
    std::string_view line = head.substr(0, lineEnd);
    size_t sp1 = line.find(' ');
    size_t sp2 = sp1 == std::string_view::npos ? sp1 : line.find(' ', sp1 + 1);
    if (sp2 == std::string_view::npos) return std::nullopt;
    request.method = line.substr(0, sp1);
    request.target = line.substr(sp1 + 1, sp2 - sp1 - 1);
    request.version = line.substr(sp2 + 1);
    if (request.method.empty() || request.target.empty() || request.version.rfind("HTTP/", 0) != 0)
        return std::nullopt;
    while (lineEnd != std::string_view::npos) {
        size_t start = lineEnd + 2;
        lineEnd = head.find("\r\n", start);
        line = head.substr(start, lineEnd == std::string_view::npos ? head.npos : lineEnd - start);
        if (line.empty()) continue;
        size_t colon = line.find(':');
        if (colon == std::string_view::npos) return std::nullopt;
        request.headers.emplace_back(Lower(Trim(line.substr(0, colon))),
                                     std::string(Trim(line.substr(colon + 1))));
    }
    return request;
}

// Applies "Range: bytes=FIRST-LAST" (or "FIRST-", "-SUFFIX") to a 200 answer.
// Several ranges in one header are answered with the whole body, as the
// standard allows.
void ApplyRange(const std::string& range, HttpServerResponse& response) {
    if (response.status != 200 || range.rfind("bytes=", 0) != 0) return;
    std::string_view byteRange = std::string_view(range).substr(6);
    if (byteRange.find(',') != std::string_view::npos) return;
    size_t dash = byteRange.find('-');
    if (dash == std::string_view::npos) return;
    const size_t size = response.body.size();
    std::optional<size_t> first = ParseSize(Trim(byteRange.substr(0, dash)));
    std::optional<size_t> last = ParseSize(Trim(byteRange.substr(dash + 1)));
    size_t from = 0;
    size_t to = 0;
    if (first) {
        if (*first >= size) {
            response.status = 416;
            response.headers.emplace_back("Content-Range", "bytes */" + std::to_string(size));
            response.body.clear();
            return;
        }
        from = *first;
        to = last ? std::min(*last, size - 1) : size - 1;
        if (last && *last < *first) return;  // not a valid range: the whole body
    } else if (last && *last > 0 && size > 0) {
        from = size - std::min(*last, size);
        to = size - 1;
    } else {
        return;
    }
    response.status = 206;
    response.headers.emplace_back(
        "Content-Range",
        "bytes " + std::to_string(from) + "-" + std::to_string(to) + "/" + std::to_string(size));
    response.body = response.body.substr(from, to - from + 1);
}

}  // namespace

std::string HttpServerRequest::Path() const {
    return target.substr(0, target.find('?'));
}

std::string HttpServerRequest::Query() const {
    size_t q = target.find('?');
    return q == std::string::npos ? std::string() : target.substr(q + 1);
}

std::string HttpServerRequest::QueryValue(std::string_view name) const {
    std::string query = Query();
    std::string_view rest = query;
    while (!rest.empty()) {
        size_t amp = rest.find('&');
        std::string_view pair = rest.substr(0, amp);
        size_t eq = pair.find('=');
        if (pair.substr(0, eq) == name)
            return eq == std::string_view::npos ? std::string() : std::string(pair.substr(eq + 1));
        if (amp == std::string_view::npos) break;
        rest.remove_prefix(amp + 1);
    }
    return {};
}

std::string HttpServerRequest::Header(std::string_view lowerName) const {
    for (const auto& [name, value] : headers)
        if (name == lowerName) return value;
    return {};
}

LoopbackHttpServer::LoopbackHttpServer(Handler handler) : handler_(std::move(handler)) {}

LoopbackHttpServer::~LoopbackHttpServer() {
    Stop();
}

bool LoopbackHttpServer::Start() {
    if (listenFd_ >= 0) return true;
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, 64) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(fd);
        return false;
    }
    listenFd_ = fd;
    port_ = ntohs(address.sin_port);
    stopping_ = false;
    acceptThread_ = std::thread([this] { AcceptLoop(); });
    return true;
}

void LoopbackHttpServer::Stop() {
    if (listenFd_ < 0) return;
    stopping_ = true;
    // shutdown wakes the blocking accept and every blocking recv.
    ::shutdown(listenFd_, SHUT_RDWR);
    acceptThread_.join();
    ::close(listenFd_);
    listenFd_ = -1;
    {
        std::lock_guard lock(mutex_);
        for (int fd : openFds_)
            ::shutdown(fd, SHUT_RDWR);
    }
    for (Connection& connection : connections_)
        connection.thread.join();
    connections_.clear();
}

std::string LoopbackHttpServer::Base() const {
    return "http://127.0.0.1:" + std::to_string(port_);
}

void LoopbackHttpServer::ReapFinished() {
    for (auto it = connections_.begin(); it != connections_.end();) {
        if (it->done) {
            it->thread.join();
            it = connections_.erase(it);
        } else {
            ++it;
        }
    }
}

void LoopbackHttpServer::AcceptLoop() {
    while (!stopping_) {
        int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED) continue;
            return;
        }
        int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        timeval idle{kIdleSeconds, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &idle, sizeof idle);
        std::lock_guard lock(mutex_);
        if (stopping_) {
            ::close(fd);
            return;
        }
        openFds_.insert(fd);
        ReapFinished();
        Connection& connection = connections_.emplace_back();
        connection.thread = std::thread([this, fd, &connection] {
            Serve(fd);
            std::lock_guard lock(mutex_);
            openFds_.erase(fd);
            ::close(fd);
            connection.done = true;
        });
    }
}

void LoopbackHttpServer::Serve(int fd) {
    std::string buffer;
    char chunk[16 * 1024];
    for (;;) {
        size_t headEnd;
        while ((headEnd = buffer.find("\r\n\r\n")) == std::string::npos) {
            if (buffer.size() > kMaxHeaderBytes) return;
            ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return;
            buffer.append(chunk, static_cast<size_t>(n));
        }
        std::optional<HttpServerRequest> request =
            ParseHead(std::string_view(buffer).substr(0, headEnd));
        buffer.erase(0, headEnd + 4);
        HttpServerResponse response;
        bool keepAlive = false;
        if (!request) {
            response.status = 400;
        } else {
            std::optional<size_t> length = ParseSize(request->Header("content-length"));
            if (!request->Header("content-length").empty() &&
                (!length || *length > kMaxBodyBytes)) {
                response.status = 413;
            } else {
                size_t want = length.value_or(0);
                while (buffer.size() < want) {
                    ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
                    if (n < 0 && errno == EINTR) continue;
                    if (n <= 0) return;
                    buffer.append(chunk, static_cast<size_t>(n));
                }
                request->body = buffer.substr(0, want);
                buffer.erase(0, want);
                response = handler_(*request);
                ApplyRange(request->Header("range"), response);
                std::string connection = Lower(request->Header("connection"));
                keepAlive = request->version == "HTTP/1.1" ? connection != "close"
                                                           : connection == "keep-alive";
            }
        }
        std::string head =
            "HTTP/1.1 " + std::to_string(response.status) + " " + Reason(response.status) + "\r\n";
        head += "Content-Type: " + response.contentType + "\r\n";
        head += "Content-Length: " + std::to_string(response.body.size()) + "\r\n";
        head += "Accept-Ranges: bytes\r\n";
        for (const auto& [name, value] : response.headers)
            head += name + ": " + value + "\r\n";
        head += keepAlive ? "Connection: keep-alive\r\n\r\n" : "Connection: close\r\n\r\n";
        bool headOnly = request && request->method == "HEAD";
        if (!SendAll(fd, head) || (!headOnly && !SendAll(fd, response.body)) || !keepAlive) return;
    }
}

}  // namespace vantrel
