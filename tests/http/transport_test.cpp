#include <gtest/gtest.h>

#include "net/curl_transport.h"
#include "net/http_get_bytes.h"
#include "net/http_request.h"
#include "net/inet_request.h"
#include "support/loopback_server.h"

namespace vantrel {
namespace {

using test::HttpReply;
using test::LoopbackServer;

TEST(HttpGetBytes, BodyOnSuccessNothingOnFailure) {
    LoopbackServer server([](const std::string& request) {
        std::string target = test::RequestTarget(request);
        if (target == "/video.mp4")
            return HttpReply("HTTP/1.1 200 OK", std::string("\x00\x01mp4", 5));
        if (target == "/moved")
            return HttpReply("HTTP/1.1 302 Found", "", {"Location: /video.mp4"});
        return HttpReply("HTTP/1.1 404 Not Found", "error page");
    });
    EXPECT_EQ(HttpGetBytes(server.base() + "/video.mp4"), std::string("\x00\x01mp4", 5));
    EXPECT_TRUE(server.lastRequest().starts_with("GET /video.mp4 HTTP/1.1\r\n"));
    EXPECT_EQ(HttpGetBytes(server.base() + "/moved"), std::string("\x00\x01mp4", 5));
    EXPECT_EQ(HttpGetBytes(server.base() + "/missing"), "");
    EXPECT_EQ(HttpGetBytes("http://127.0.0.1:" + std::to_string(test::ClosedPort()) + "/"), "");

    LoopbackServer cut([](const std::string&) {
        test::Reply reply;
        reply.bytes = "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\nhalf";
        reply.end = test::Reply::End::kReset;
        return reply;
    });
    EXPECT_EQ(HttpGetBytes(cut.base() + "/"), "");
}

// Certificates are checked by every routine: a server whose certificate the
// client has no reason to trust is refused, and trusted once its CA is named.
TEST(Tls, SelfSignedServerRefusedUntilItsCaIsNamed) {
    test::SelfSignedCert cert;
    test::TlsServer server(cert, "secret");
    const std::string url = server.base() + "/x";

    std::string status;
    EXPECT_EQ(HttpRequest({.url = url, .statusText = &status}), "");
    EXPECT_EQ(status.substr(0, 3), "711");
    EXPECT_EQ(InetRequest({.url = url}), "");
    EXPECT_EQ(HttpGetBytes(url), "");

    SetExtraCaFile(cert.certFile());
    EXPECT_EQ(HttpRequest({.url = url, .statusText = &status}), "secret");
    EXPECT_EQ(status, "200 OK");
    EXPECT_EQ(InetRequest({.url = url}), "secret");
    EXPECT_EQ(HttpGetBytes(url), "secret");

    // The name must match too: the certificate is for 127.0.0.1, not localhost.
    EXPECT_EQ(HttpRequest({.url = "https://localhost:" + std::to_string(server.port()) + "/x",
                           .statusText = &status}),
              "");
    SetExtraCaFile("");
    EXPECT_EQ(HttpGetBytes(url), "");
}

}  // namespace
}  // namespace vantrel
