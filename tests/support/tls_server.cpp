#include <httplib.h>
#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <thread>

#include "support/loopback_server.h"

namespace vantrel::test {

SelfSignedCert::SelfSignedCert() {
    char pattern[] = "/tmp/vantrel-cert-XXXXXX";
    if (!::mkdtemp(pattern)) throw std::runtime_error("mkdtemp");
    dir_ = pattern;
    cert_ = dir_ + "/cert.pem";
    key_ = dir_ + "/key.pem";
    // The address is in the subject-alternative names: a verifying client
    // matches 127.0.0.1 there, not in the common name.
    std::string command =
        "openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=127.0.0.1"
        " -addext subjectAltName=IP:127.0.0.1 -keyout " +
        key_ + " -out " + cert_ + " >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) throw std::runtime_error("openssl req failed");
}

SelfSignedCert::~SelfSignedCert() {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
}

struct TlsServer::Impl {
    httplib::SSLServer server;
    std::thread thread;
    int port = 0;
    Impl(const SelfSignedCert& cert) : server(cert.certFile().c_str(), cert.keyFile().c_str()) {}
};

TlsServer::TlsServer(const SelfSignedCert& cert, std::string body)
    : impl_(std::make_unique<Impl>(cert)) {
    if (!impl_->server.is_valid()) throw std::runtime_error("TLS server did not take the cert");
    impl_->server.Get("/redirect",
                      [](const httplib::Request& request, httplib::Response& response) {
                          response.set_redirect(request.get_param_value("to"), 302);
                      });
    impl_->server.Get(".*", [body](const httplib::Request&, httplib::Response& response) {
        response.set_content(body, "text/plain");
    });
    impl_->port = impl_->server.bind_to_any_port("127.0.0.1");
    impl_->thread = std::thread([this] { impl_->server.listen_after_bind(); });
    // stop() only takes effect on a running server: wait until it runs.
    while (!impl_->server.is_running())
        std::this_thread::yield();
}

TlsServer::~TlsServer() {
    impl_->server.stop();
    impl_->thread.join();
}

int TlsServer::port() const {
    return impl_->port;
}

std::string TlsServer::base() const {
    return "https://127.0.0.1:" + std::to_string(port());
}

}  // namespace vantrel::test
