// A reference for the web benchmark: the smallest single-threaded Beast
// server, answering every request with the heart_beat reply devhttpd sends,
// so the benchmark can tell the engine's own cost from the web layer's.
// Runs until SIGINT or SIGTERM.
#include <signal.h>

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/signal_set.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/core/tcp_stream.hpp>
#include <boost/beast/http/read.hpp>
#include <boost/beast/http/string_body.hpp>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>

namespace net = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = net::ip::tcp;

namespace {

const char kReply[] =
    "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: "
    "27\r\nAccess-Control-Allow-Headers:X-CSRF-Token,X-Requested-With,Accept,Authorization,X-"
    "PINGOTHER,Content-Type\r\nAccess-Control-Allow-Origin:  *\r\nAccess-Control-Allow-Methods: "
    "GET,PUT,POST,DELETE,PATCH,OPTIONS\r\nCache-Control: no-store, must-revalidate\r\nPragma: "
    "no-cache\r\nExpires: 0\r\n\r\n{\"msg\":\"成功\",\"result\":0}";

class Connection : public std::enable_shared_from_this<Connection> {
  public:
    explicit Connection(tcp::socket socket) : mStream(std::move(socket)) {}

    void Read() {
        mParser.emplace();
        http::async_read(
            mStream, mBuffer, *mParser, [self = shared_from_this()](beast::error_code ec, size_t) {
                if (ec) return;
                net::async_write(self->mStream, net::buffer(kReply, sizeof(kReply) - 1),
                                 [self](beast::error_code written, size_t) {
                                     if (!written) self->Read();
                                 });
            });
    }

  private:
    beast::tcp_stream mStream;
    beast::flat_buffer mBuffer;
    std::optional<http::request_parser<http::string_body>> mParser;
};

void Accept(tcp::acceptor& acceptor) {
    acceptor.async_accept([&acceptor](beast::error_code ec, tcp::socket socket) {
        if (ec) return;
        socket.set_option(tcp::no_delay(true), ec);
        std::make_shared<Connection>(std::move(socket))->Read();
        Accept(acceptor);
    });
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s PORT\n", argv[0]);
        return 2;
    }
    net::io_context io{1};
    tcp::acceptor acceptor(io);
    beast::error_code ec;
    const tcp::endpoint endpoint(tcp::v4(), static_cast<unsigned short>(std::atoi(argv[1])));
    acceptor.open(endpoint.protocol(), ec);
    if (!ec) acceptor.set_option(net::socket_base::reuse_address(true), ec);
    if (!ec) acceptor.bind(endpoint, ec);
    if (!ec) acceptor.listen(net::socket_base::max_listen_connections, ec);
    if (ec) {
        std::fprintf(stderr, "cannot listen on port %s\n", argv[1]);
        return 1;
    }
    net::signal_set signals(io, SIGINT, SIGTERM);
    signals.async_wait([&io](beast::error_code, int) { io.stop(); });
    Accept(acceptor);
    io.run();
    return 0;
}
