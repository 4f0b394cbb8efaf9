#include "sources/loopback_http_server.h"

#include <httplib.h>

#include <cctype>

namespace vantrel {
namespace {

// Larger request bodies are refused: nothing the program sends comes close.
constexpr size_t kMaxBodyBytes = 16 * 1024 * 1024;

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

HttpServerRequest FromLibrary(const httplib::Request& in) {
    HttpServerRequest request;
    request.method = in.method;
    request.target = in.target;
    request.version = in.version;
    request.remotePort = in.remote_port;
    for (const auto& [name, value] : in.headers)
        request.headers.emplace_back(Lower(name), value);
    request.body = in.body;
    return request;
}

void ToLibrary(HttpServerResponse answer, httplib::Response& out) {
    // A 200 is left unset: the library then answers a Range request with 206
    // and the slice (or 416), which players need to seek and loop.
    if (answer.status != 200) out.status = answer.status;
    for (const auto& [name, value] : answer.headers)
        out.set_header(name, value);
    out.set_header("Accept-Ranges", "bytes");
    out.set_content(std::move(answer.body), answer.contentType);
}

}  // namespace

struct LoopbackHttpServer::Engine {
    httplib::Server server;
};

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
    if (engine_) return true;
    auto engine = std::make_unique<Engine>();
    httplib::Server& server = engine->server;
    server.set_payload_max_length(kMaxBodyBytes);
    const auto serve = [this](const httplib::Request& request, httplib::Response& response) {
        ToLibrary(handler_(FromLibrary(request)), response);
    };
    // Every method and path reaches the one handler; HEAD is answered by the
    // GET route without a body.
    server.Get(".*", serve);
    server.Post(".*", serve);
    server.Put(".*", serve);
    server.Patch(".*", serve);
    server.Delete(".*", serve);
    server.Options(".*", serve);
    const int port = server.bind_to_any_port("127.0.0.1");
    if (port <= 0) return false;
    port_ = port;
    engine_ = std::move(engine);
    listenThread_ = std::thread([server = &engine_->server] { server->listen_after_bind(); });
    return true;
}

void LoopbackHttpServer::Stop() {
    if (!engine_) return;
    engine_->server.stop();
    if (listenThread_.joinable()) listenThread_.join();
    engine_.reset();
}

std::string LoopbackHttpServer::Base() const {
    return "http://127.0.0.1:" + std::to_string(port_);
}

}  // namespace vantrel
