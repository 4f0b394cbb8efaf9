#pragma once

#include <atomic>
#include <functional>
#include <list>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace vantrel {

struct HttpServerRequest {
    std::string method;   // "GET", "POST", ...
    std::string target;   // path and query as sent, e.g. "/board?tab=realtime"
    std::string version;  // "HTTP/1.1"
    std::vector<std::pair<std::string, std::string>> headers;  // names in lower case
    std::string body;

    std::string Path() const;   // target up to "?"
    std::string Query() const;  // target after "?", or empty
    // Value of a query parameter as sent (not decoded); empty when missing.
    std::string QueryValue(std::string_view name) const;
    std::string Header(std::string_view lowerName) const;
};

struct HttpServerResponse {
    int status = 200;
    std::string contentType = "text/plain; charset=utf-8";
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
};

// A small HTTP/1.1 server on 127.0.0.1 with an ephemeral port, for the demo
// mode and the tests. Each connection gets its own thread so that a media
// player's several open connections do not wait for each other. Keeps
// connections alive and answers "Range: bytes=" requests on any 200 answer
// with 206 and the slice, which players need to seek and loop.
class LoopbackHttpServer {
  public:
    using Handler = std::function<HttpServerResponse(const HttpServerRequest&)>;

    explicit LoopbackHttpServer(Handler handler);
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    // Binds and starts listening; false when no socket could be had.
    bool Start();
    // Closes the listener and every open connection, and waits for the threads.
    void Stop();

    int Port() const { return port_; }
    std::string Base() const;  // "http://127.0.0.1:PORT"

  private:
    void AcceptLoop();
    void Serve(int fd);
    void ReapFinished();

    Handler handler_;
    int listenFd_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::thread acceptThread_;
    std::mutex mutex_;
    std::set<int> openFds_;
    struct Connection {
        std::thread thread;
        std::atomic<bool> done{false};
    };
    std::list<Connection> connections_;
};

}  // namespace vantrel
