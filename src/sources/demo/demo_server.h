#pragma once

#include <string>

#include "sources/loopback_http_server.h"

namespace vantrel {

// Answers every request the program makes, from the samples built into the
// program: the four lists, the Toutiao search, the Douyin item, author,
// play-address, video and avatar requests, and a small page for every link
// the program opens in the browser. Links inside the answers point back at
// this server, so a demo run never leaves the machine.
// With failDocumented, the documented list requests answer 503 (Baidu's page
// comes in another of its known shapes instead), so that the lists come from
// the fallback requests, which are served either way.
HttpServerResponse DemoAnswer(const HttpServerRequest& request, const std::string& base,
                              bool failDocumented = false);

// The demo server on 127.0.0.1 with an ephemeral port, on its own threads.
class DemoServer {
  public:
    explicit DemoServer(bool failDocumented = false);
    bool Start() { return server_.Start(); }
    void Stop() { server_.Stop(); }
    std::string Base() const { return server_.Base(); }

  private:
    LoopbackHttpServer server_;
};

}  // namespace vantrel
