#pragma once

#include <functional>
#include <memory>
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
    int remotePort = 0;  // the client's end of the connection

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
// mode and the tests, on cpp-httplib: a pool of worker threads (a media
// player's several open connections do not wait for each other), kept-alive
// connections, and "Range: bytes=" requests on a 200 answer answered with 206
// and the slice, which players need to seek and loop.
class LoopbackHttpServer {
  public:
    using Handler = std::function<HttpServerResponse(const HttpServerRequest&)>;

    explicit LoopbackHttpServer(Handler handler);
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    // Binds and starts listening; false when no socket could be had.
    bool Start();
    // Stops listening, ends the open connections and waits for the threads.
    void Stop();

    int Port() const { return port_; }
    std::string Base() const;  // "http://127.0.0.1:PORT"

  private:
    struct Engine;
    Handler handler_;
    std::unique_ptr<Engine> engine_;
    std::thread listenThread_;
    int port_ = 0;
};

}  // namespace vantrel
