#pragma once

#include <string>

#include "sources/loopback_http_server.h"

namespace vantrel {

// Answers every request the program makes, from the samples built into the
// program: the four lists, the Toutiao search, the Douyin item, author,
// play-address, video and avatar requests, and a small page for every link
// the program opens in the browser. Links inside the answers point back at
// this server, so a demo run never leaves the machine.
HttpServerResponse DemoAnswer(const HttpServerRequest& request, const std::string& base);

// The demo server on 127.0.0.1 with an ephemeral port, on its own threads.
class DemoServer {
  public:
    DemoServer();
    bool Start() { return server_.Start(); }
    void Stop() { server_.Stop(); }
    std::string Base() const { return server_.Base(); }

  private:
    LoopbackHttpServer server_;
};

}  // namespace vantrel
