#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::test {

// What a LoopbackServer sends on one connection after reading one request.
struct Reply {
    enum class End {
        kClose,  // close the connection normally
        kReset,  // abort it (RST), as a crashed server would
        kHang,   // keep it open, sending nothing more, until the server stops
    };
    std::string bytes;              // sent first, exactly as given
    std::uint64_t fillerBytes = 0;  // then this many 'x' bytes, produced on the fly
    std::size_t dripChunk = 0;      // when above 0, bytes are sent in pieces of this size...
    std::chrono::milliseconds dripDelay{0};  // ...with this pause before each piece
    std::size_t dripAfter = 0;               // this many leading bytes go at once, before the drip
    End end = End::kClose;
    bool silent = false;  // send nothing at all (the connection then ends as `end` says)
};

// A complete answer: status line, the given header lines, Content-Length and
// "Connection: close", then the body.
Reply HttpReply(std::string_view statusLine, std::string_view body,
                const std::vector<std::string>& headerLines = {});

// The request target of a recorded request ("/a?b", or an absolute address
// when the request went through a proxy).
std::string RequestTarget(std::string_view request);

// The header lines of a recorded request (between the request line and the
// empty line), CR LF kept out.
std::vector<std::string> RequestHeaderLines(std::string_view request);

// The body of a recorded request (after the empty line).
std::string RequestBody(std::string_view request);

// A raw-socket HTTP/1.1 server on 127.0.0.1 and a free port. Each connection
// gets one request, read up to its empty line plus Content-Length bytes, and
// recorded byte for byte; the script then decides the reply. Connections are
// served on their own threads, so a hanging one does not hold up others.
class LoopbackServer {
  public:
    using Script = std::function<Reply(const std::string& request)>;

    explicit LoopbackServer(Script script);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    int port() const;
    // "http://127.0.0.1:<port>"
    std::string base() const;

    // Every request received so far, in arrival order.
    std::vector<std::string> requests() const;
    // The last request received; empty when none came.
    std::string lastRequest() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// A port on 127.0.0.1 where nothing listens (connections are refused).
int ClosedPort();

// A self-signed certificate for 127.0.0.1 made with the openssl tool in a
// fresh temporary folder; the folder goes when the object goes.
class SelfSignedCert {
  public:
    SelfSignedCert();
    ~SelfSignedCert();
    SelfSignedCert(const SelfSignedCert&) = delete;
    SelfSignedCert& operator=(const SelfSignedCert&) = delete;

    const std::string& certFile() const { return cert_; }
    const std::string& keyFile() const { return key_; }

  private:
    std::string dir_, cert_, key_;
};

// An HTTPS server on 127.0.0.1 that answers every GET with "200 OK" and body,
// but "/redirect?to=URL" with a 302 to URL.
class TlsServer {
  public:
    TlsServer(const SelfSignedCert& cert, std::string body);
    ~TlsServer();
    TlsServer(const TlsServer&) = delete;
    TlsServer& operator=(const TlsServer&) = delete;

    int port() const;
    // "https://127.0.0.1:<port>"
    std::string base() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace vantrel::test
