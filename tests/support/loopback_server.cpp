#include "support/loopback_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace vantrel::test {
namespace {

constexpr std::string_view kHeaderEnd = "\r\n\r\n";

int ListenOnLoopback() {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) throw std::runtime_error("socket");
    int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd, 64) != 0) {
        ::close(fd);
        throw std::runtime_error("bind/listen on 127.0.0.1");
    }
    return fd;
}

int PortOf(int fd) {
    sockaddr_in addr{};
    socklen_t len = sizeof addr;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    return ntohs(addr.sin_port);
}

std::string Lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

// Content-Length of a request head, 0 when it has none.
std::size_t ContentLength(std::string_view head) {
    std::string lower = Lower(head);
    auto at = lower.find("\r\ncontent-length:");
    if (at == std::string::npos) return 0;
    return std::strtoull(lower.c_str() + at + 17, nullptr, 10);
}

}  // namespace

Reply HttpReply(std::string_view statusLine, std::string_view body,
                const std::vector<std::string>& headerLines) {
    Reply reply;
    reply.bytes = std::string(statusLine) + "\r\n";
    for (const auto& line : headerLines)
        reply.bytes += line + "\r\n";
    reply.bytes += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    reply.bytes += "Connection: close\r\n\r\n";
    reply.bytes += body;
    return reply;
}

std::string RequestTarget(std::string_view request) {
    auto first = request.find(' ');
    if (first == std::string_view::npos) return {};
    auto second = request.find(' ', first + 1);
    return std::string(request.substr(first + 1, second - first - 1));
}

std::vector<std::string> RequestHeaderLines(std::string_view request) {
    std::vector<std::string> lines;
    auto end = request.find(kHeaderEnd);
    auto at = request.find("\r\n");
    while (at != std::string_view::npos && at < end) {
        auto next = request.find("\r\n", at + 2);
        lines.emplace_back(request.substr(at + 2, next - at - 2));
        at = next;
    }
    return lines;
}

std::string RequestBody(std::string_view request) {
    auto end = request.find(kHeaderEnd);
    return end == std::string_view::npos ? std::string() : std::string(request.substr(end + 4));
}

struct LoopbackServer::Impl {
    Script script;
    int listenFd = -1;
    int stopPipe[2] = {-1, -1};
    int port = 0;
    std::thread acceptor;
    mutable std::mutex mutex;
    std::vector<std::string> requests;
    struct Connection {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };
    std::vector<Connection> connections;

    // Waits until fd is ready for `events` or the server stops; false on stop.
    bool Wait(int fd, short events, int timeoutMs = -1) const {
        pollfd fds[2] = {{fd, events, 0}, {stopPipe[0], POLLIN, 0}};
        int n = ::poll(fds, 2, timeoutMs);
        return n > 0 && !(fds[1].revents & POLLIN);
    }

    // Sleeps for `delay`; false when the server stops meanwhile.
    bool Pause(std::chrono::milliseconds delay) const {
        pollfd stop{stopPipe[0], POLLIN, 0};
        return ::poll(&stop, 1, static_cast<int>(delay.count())) == 0;
    }

    std::string ReadRequest(int fd) const {
        std::string request;
        char buffer[16384];
        std::size_t wanted = std::string::npos;
        while (request.size() < wanted) {
            if (!Wait(fd, POLLIN, 10000)) break;
            ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
            if (n <= 0) break;
            request.append(buffer, static_cast<std::size_t>(n));
            auto end = request.find(kHeaderEnd);
            if (wanted == std::string::npos && end != std::string::npos)
                wanted = end + kHeaderEnd.size() + ContentLength(request.substr(0, end + 2));
        }
        return request;
    }

    bool SendAll(int fd, std::string_view bytes) const {
        while (!bytes.empty()) {
            if (!Wait(fd, POLLOUT)) return false;
            ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
            if (n <= 0) return false;
            bytes.remove_prefix(static_cast<std::size_t>(n));
        }
        return true;
    }

    // Sends bytes, in drip pieces when the reply asks for them.
    bool SendPaced(int fd, std::string_view bytes, const Reply& reply) const {
        if (reply.dripChunk == 0) return SendAll(fd, bytes);
        while (!bytes.empty()) {
            if (!Pause(reply.dripDelay)) return false;
            auto piece = bytes.substr(0, reply.dripChunk);
            if (!SendAll(fd, piece)) return false;
            bytes.remove_prefix(piece.size());
        }
        return true;
    }

    bool SendFiller(int fd, const Reply& reply) const {
        const std::string block(reply.dripChunk ? reply.dripChunk : 1 << 16, 'x');
        for (std::uint64_t left = reply.fillerBytes; left > 0;) {
            auto piece = static_cast<std::size_t>(std::min<std::uint64_t>(left, block.size()));
            if (!SendPaced(fd, std::string_view(block).substr(0, piece), reply)) return false;
            left -= piece;
        }
        return true;
    }

    void Serve(int fd) {
        std::string request = ReadRequest(fd);
        {
            std::lock_guard lock(mutex);
            requests.push_back(request);
        }
        Reply reply = script(request);
        const std::string_view bytes = reply.bytes;
        const std::size_t atOnce = std::min(reply.dripAfter, bytes.size());
        bool sent =
            reply.silent || (SendAll(fd, bytes.substr(0, atOnce)) &&
                             SendPaced(fd, bytes.substr(atOnce), reply) && SendFiller(fd, reply));
        if (sent && reply.end == Reply::End::kHang) {
            char sink[4096];
            while (Wait(fd, POLLIN) && ::recv(fd, sink, sizeof sink, 0) > 0) {
            }
        }
        if (reply.end == Reply::End::kReset) {
            linger abort{1, 0};
            ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
        } else {
            ::shutdown(fd, SHUT_WR);
        }
        ::close(fd);
    }

    void AcceptLoop() {
        while (Wait(listenFd, POLLIN)) {
            int fd = ::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0) continue;
            std::lock_guard lock(mutex);
            // Finished connections are joined here, so a long run (a
            // benchmark) does not pile up threads.
            std::erase_if(connections, [](Connection& c) {
                if (!*c.done) return false;
                c.thread.join();
                return true;
            });
            auto done = std::make_shared<std::atomic<bool>>(false);
            connections.push_back({std::thread([this, fd, done] {
                                       Serve(fd);
                                       *done = true;
                                   }),
                                   done});
        }
    }
};

LoopbackServer::LoopbackServer(Script script) : impl_(std::make_unique<Impl>()) {
    impl_->script = std::move(script);
    if (::pipe2(impl_->stopPipe, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
    impl_->listenFd = ListenOnLoopback();
    impl_->port = PortOf(impl_->listenFd);
    impl_->acceptor = std::thread([this] { impl_->AcceptLoop(); });
}

LoopbackServer::~LoopbackServer() {
    char stop = 1;
    [[maybe_unused]] auto written = ::write(impl_->stopPipe[1], &stop, 1);
    impl_->acceptor.join();
    std::vector<Impl::Connection> connections;
    {
        std::lock_guard lock(impl_->mutex);
        connections.swap(impl_->connections);
    }
    for (auto& connection : connections)
        connection.thread.join();
    ::close(impl_->listenFd);
    ::close(impl_->stopPipe[0]);
    ::close(impl_->stopPipe[1]);
}

int LoopbackServer::port() const {
    return impl_->port;
}

std::string LoopbackServer::base() const {
    return "http://127.0.0.1:" + std::to_string(port());
}

std::vector<std::string> LoopbackServer::requests() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->requests;
}

std::string LoopbackServer::lastRequest() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->requests.empty() ? std::string() : impl_->requests.back();
}

int ClosedPort() {
    // Bound but never listening: the kernel refuses connections to it, and no
    // other test can take the port while we hold it.
    static const int port = [] {
        int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        return PortOf(fd);
    }();
    return port;
}

}  // namespace vantrel::test
