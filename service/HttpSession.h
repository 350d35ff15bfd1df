// One HTTP connection on the network thread: reads a request within the
// header, body and idle limits, routes it, runs its handler on the network
// thread or in turn on the device worker, and writes the reply.
#pragma once

#include <boost/asio/steady_timer.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/core/tcp_stream.hpp>
#include <boost/beast/http/parser.hpp>
#include <boost/beast/http/string_body.hpp>
#include <deque>
#include <memory>
#include <optional>
#include <string>

#include "RequestTarget.h"
#include "StaticFile.h"
#include "WebAdapters.h"
#include "WebEngine.h"

class HttpSession : public Session {
  public:
    HttpSession(WebEngine& engine, boost::asio::ip::tcp::socket socket);
    ~HttpSession() override;

    void Start();
    void Close() override;

  private:
    using Parser = boost::beast::http::request_parser<boost::beast::http::string_body>;

    std::shared_ptr<HttpSession> Self() {
        return std::static_pointer_cast<HttpSession>(shared_from_this());
    }

    void WaitForRequest();
    void ReadHeader();
    void OnHeader(boost::system::error_code ec);
    // Feeds buffered bytes to the parser, up to the end of the headers or of
    // the message; false with ec on a parse error.
    bool ParseBuffered(boost::system::error_code& ec);
    void ReadBody();
    void OnBody(boost::system::error_code ec);
    void Dispatch();
    void ServeFile(const RequestTarget& target, bool headOnly);
    // Whether the upgrade may go on; when not, the refusal is on its way.
    bool WebSocketAllowed();
    void UpgradeToWebSocket();

    // Calls the handler, or its timer, where the handler runs, then Deliver.
    void CallHandler(std::shared_ptr<HttpRequestAdapter> request);
    void CallTimer();
    // Queues what a handler call sent and decides what follows it.
    void Deliver(HttpResponseAdapter& response);

    // Whether the request's Host and Origin pass the server's policy; keeps
    // the Origin for the reply.
    bool Admitted(const boost::beast::http::request<boost::beast::http::string_body>& request);
    void Count(const std::string& route, int status);
    // A reply of the server's own, after which the connection closes.
    void Refuse(int status);
    void Write(std::string bytes);
    void WriteNext();
    // Every queued byte is written: next file chunk, next request, or close.
    void Drained();
    void EndRequest();
    // Stops sending, drains what the client still sends for a moment so the
    // reply is not lost to a reset, then closes.
    void LingeringClose();
    void DrainLinger();
    // The reply is complete once what is queued has been written.
    void Finish();

    WebEngine& mEngine;
    boost::beast::tcp_stream mStream;
    boost::beast::flat_buffer mBuffer;
    std::optional<Parser> mParser;
    boost::asio::steady_timer mTimer;
    const RequestHandlerData* mEntry = nullptr;
    bool mOnDevice = false;
    bool mClosed = false;
    bool mRequestKeepsAlive = false;
    size_t mReservedBody = 0;

    // Reply state of the request in hand.
    std::deque<std::string> mOut;
    size_t mOutBytes = 0;
    bool mWriting = false;
    bool mStreaming = false;   // a handler timer is armed
    bool mReplyDone = false;   // nothing more will be added to the reply
    bool mCloseAfter = false;  // close once the reply is written
    bool mHandlerRunning = false;
    bool mHeadSeen = false;         // the reply's head has been inspected
    bool mReplyKeepsAlive = false;  // what the head says about keep-alive
    size_t mLingered = 0;
    StaticFile mFile;
    bool mFileActive = false;
    std::string mOrigin;  // of the request in hand, when origins are listed
};
