// The web layer alone: XWebServer with one handler that answers the
// heart_beat reply without calling the SDK, so the benchmark can tell the
// server's own cost from the SDK's. Runs until SIGINT or SIGTERM.
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "XWebServer.h"

namespace {

const std::string kDocument = "{\"msg\":\"成功\",\"result\":0}";

volatile sig_atomic_t stopRequested = 0;

void OnSignal(int) {
    stopRequested = 1;
}

class CannedHeartBeat : public IWebRequestHandler {
  public:
    CannedHeartBeat() : IWebRequestHandler("/api/call_method/heart_beat", false) {}

    void HandleHttpRequest(IWebRequest& request, IWebResponse& response) override {
        const std::string body = request.Body();
        response.Printf(
            "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: "
            "%u\r\nAccess-Control-Allow-Headers:X-CSRF-Token,X-Requested-With,Accept,"
            "Authorization,X-PINGOTHER,Content-Type\r\nAccess-Control-Allow-Origin:  "
            "*\r\nAccess-Control-Allow-Methods: GET,PUT,POST,DELETE,PATCH,OPTIONS\r\n"
            "Cache-Control: no-store, must-revalidate\r\nPragma: no-cache\r\nExpires: 0\r\n\r\n",
            static_cast<unsigned>(kDocument.size()));
        response.Send(reinterpret_cast<const uint8_t*>(kDocument.data()), kDocument.size());
    }
};

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s PORT\n", argv[0]);
        return 2;
    }
    XWebServer server("", static_cast<uint16_t>(std::atoi(argv[1])));
    server.AddHandler(std::make_shared<CannedHeartBeat>());
    if (!server.Start()) {
        std::fprintf(stderr, "cannot listen on port %s\n", argv[1]);
        return 1;
    }
    signal(SIGINT, OnSignal);
    signal(SIGTERM, OnSignal);
    while (!stopRequested) pause();
    server.Stop();
    return 0;
}
