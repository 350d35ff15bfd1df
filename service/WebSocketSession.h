// One WebSocket client on the network thread: frames it sends go to the "/ws"
// handler, frames for it wait in a queue of bounded size, one write at a time.
#pragma once

#include <boost/asio/steady_timer.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/core/tcp_stream.hpp>
#include <boost/beast/http/message.hpp>
#include <boost/beast/http/string_body.hpp>
#include <boost/beast/websocket/stream.hpp>
#include <deque>
#include <memory>
#include <string>

#include "WebAdapters.h"
#include "WebEngine.h"

class WebSocketSession : public Session {
  public:
    WebSocketSession(WebEngine& engine, boost::beast::tcp_stream&& stream);
    ~WebSocketSession() override;

    // Completes the upgrade that request asked for, then reads frames.
    void Start(boost::beast::http::request<boost::beast::http::string_body> request);
    void Close() override;
    void QueueText(const std::shared_ptr<const std::string>& text) override;

  private:
    struct OutFrame {
        bool text = true;
        std::shared_ptr<const std::string> data;
    };

    std::shared_ptr<WebSocketSession> Self() {
        return std::static_pointer_cast<WebSocketSession>(shared_from_this());
    }

    void Read();
    void OnMessage();
    void CallHandler(std::shared_ptr<WebSocketRequestAdapter> request);
    void CallTimer();
    void Deliver(WebSocketResponseAdapter& response);
    void Enqueue(OutFrame frame);
    void WriteNext();

    WebEngine& mEngine;
    boost::beast::websocket::stream<boost::beast::tcp_stream> mSocket;
    boost::beast::flat_buffer mBuffer;
    boost::asio::steady_timer mTimer;
    const RequestHandlerData* mEntry = nullptr;
    bool mOpen = false;  // the handshake is done
    bool mClosed = false;
    bool mOnDevice = false;
    bool mHandlerRunning = false;
    bool mCloseAfter = false;
    std::deque<OutFrame> mOut;
    size_t mOutBytes = 0;
    bool mWriting = false;
};
