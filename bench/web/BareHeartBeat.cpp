// The reference for the web benchmark: the engine alone, with the worker pool
// and connection options devhttpd's server uses, answering every request
// with the heart_beat reply devhttpd sends. Runs until SIGINT or SIGTERM.
#include <civetweb.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const char kReply[] =
    "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: "
    "27\r\nAccess-Control-Allow-Headers:X-CSRF-Token,X-Requested-With,Accept,Authorization,X-"
    "PINGOTHER,Content-Type\r\nAccess-Control-Allow-Origin:  *\r\nAccess-Control-Allow-Methods: "
    "GET,PUT,POST,DELETE,PATCH,OPTIONS\r\nCache-Control: no-store, must-revalidate\r\nPragma: "
    "no-cache\r\nExpires: 0\r\n\r\n{\"msg\":\"成功\",\"result\":0}";

volatile sig_atomic_t stopRequested = 0;

void OnSignal(int) {
    stopRequested = 1;
}

int Answer(mg_connection* conn) {
    char body[4096];
    while (mg_read(conn, body, sizeof(body)) > 0) {
    }
    mg_write(conn, kReply, sizeof(kReply) - 1);
    return 200;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s PORT\n", argv[0]);
        return 2;
    }
    const std::string port = argv[1];
    const char* options[] = {"listening_ports",
                             port.c_str(),
                             "num_threads",
                             "32",
                             "enable_keep_alive",
                             "yes",
                             "keep_alive_timeout_ms",
                             "2000",
                             "tcp_nodelay",
                             "1",
                             nullptr};
    mg_callbacks callbacks;
    std::memset(&callbacks, 0, sizeof(callbacks));
    callbacks.begin_request = Answer;
    mg_init_library(0);
    mg_context* context = mg_start(&callbacks, nullptr, options);
    if (context == nullptr) {
        std::fprintf(stderr, "cannot listen on port %s\n", port.c_str());
        return 1;
    }
    signal(SIGINT, OnSignal);
    signal(SIGTERM, OnSignal);
    while (!stopRequested) pause();
    mg_stop(context);
    return 0;
}
