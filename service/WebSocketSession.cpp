#include "WebSocketSession.h"

#include <boost/asio/post.hpp>
#include <boost/beast/core/buffers_to_string.hpp>
#include <boost/beast/websocket/stream_base.hpp>

#include "IDeviceRequestHandler.h"

namespace net = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
namespace websocket = beast::websocket;
using error_code = boost::system::error_code;

namespace {

// Buffer a client may keep between messages.
constexpr size_t kKeptBuffer = 4096;

}  // namespace

WebSocketSession::WebSocketSession(WebEngine& engine, beast::tcp_stream&& stream)
    : mEngine(engine), mSocket(std::move(stream)), mTimer(engine.Io()) {}

WebSocketSession::~WebSocketSession() {
    if (!mClosed) mEngine.Forget(this);
}

void WebSocketSession::Start(http::request<http::string_body> request) {
    mEngine.Track(this);
    const WebLimits& limits = mEngine.Limits();
    websocket::stream_base::timeout timeouts;
    timeouts.handshake_timeout = limits.headerTime;
    timeouts.idle_timeout = limits.webSocketIdleTime;
    timeouts.keep_alive_pings = true;
    mSocket.set_option(timeouts);
    mSocket.set_option(websocket::stream_base::decorator(
        [](websocket::response_type& response) { response.erase(http::field::server); }));
    mSocket.read_message_max(limits.bodyBytes);
    error_code ignored;
    beast::get_lowest_layer(mSocket).socket().set_option(
        net::socket_base::send_buffer_size(limits.webSocketSendBufferBytes), ignored);
    mSocket.async_accept(request, [self = Self()](error_code ec) {
        if (self->mClosed) return;
        if (ec) {
            self->Close();
            return;
        }
        self->mOpen = true;
        self->Read();
        self->WriteNext();
    });
}

void WebSocketSession::Close() {
    if (mClosed) return;
    mClosed = true;
    mEngine.Forget(this);
    mTimer.cancel();
    error_code ec;
    beast::get_lowest_layer(mSocket).socket().close(ec);
}

void WebSocketSession::Read() {
    mEngine.MarkIdle(this);
    mSocket.async_read(mBuffer, [self = Self()](error_code ec, size_t) {
        if (self->mClosed) return;
        if (ec) {
            self->Close();
            return;
        }
        self->OnMessage();
    });
}

void WebSocketSession::OnMessage() {
    mEngine.MarkBusy(this);
    const EngineConfig& config = mEngine.Config();
    config.access->Touch();
    auto request =
        std::make_shared<WebSocketRequestAdapter>(beast::buffers_to_string(mBuffer.data()));
    mBuffer.consume(mBuffer.size());
    // A large message leaves no large buffer behind on a client that waits.
    if (mBuffer.capacity() > kKeptBuffer) mBuffer.shrink_to_fit();
    mEntry = config.handlers.Find("/ws");
    if (mEntry == nullptr) {
        if (config.documentRoot.empty()) {
            Close();
        } else {
            Read();
        }
        return;
    }
    CallHandler(std::move(request));
}

void WebSocketSession::CallHandler(std::shared_ptr<WebSocketRequestAdapter> request) {
    const RequestHandlerData* entry = mEntry;
    AccessStamp* access = mEngine.Config().access;
    auto* device = dynamic_cast<IDeviceRequestHandler*>(entry->handler.get());
    mHandlerRunning = true;
    entry->access->Touch();
    access->Touch();
    WebSocketResponseAdapter response(mOutBytes);
    if (device == nullptr || device->AnswerWithoutDevice(*request, response)) {
        mOnDevice = false;
        if (device == nullptr) entry->handler->HandleHttpRequest(*request, response);
        mHandlerRunning = false;
        Deliver(response);
        return;
    }
    mOnDevice = true;
    mEngine.DeviceWorker().Post([self = Self(), request, entry, access]() mutable {
        auto reply = std::make_shared<WebSocketResponseAdapter>(0);
        entry->access->Touch();
        access->Touch();
        entry->handler->HandleHttpRequest(*request, *reply);
        request.reset();
        net::io_context& io = self->mEngine.Io();
        net::post(io, [self = std::move(self), reply] {
            self->mHandlerRunning = false;
            if (!self->mClosed) self->Deliver(*reply);
        });
    });
}

void WebSocketSession::CallTimer() {
    const RequestHandlerData* entry = mEntry;
    AccessStamp* access = mEngine.Config().access;
    mHandlerRunning = true;
    if (!mOnDevice) {
        WebSocketResponseAdapter response(mOutBytes);
        entry->access->Touch();
        access->Touch();
        entry->handler->HandleTimer(response);
        mHandlerRunning = false;
        Deliver(response);
        return;
    }
    mEngine.DeviceWorker().Post([self = Self(), entry, access, backlog = mOutBytes]() mutable {
        auto reply = std::make_shared<WebSocketResponseAdapter>(backlog);
        entry->access->Touch();
        access->Touch();
        entry->handler->HandleTimer(*reply);
        net::io_context& io = self->mEngine.Io();
        net::post(io, [self = std::move(self), reply] {
            self->mHandlerRunning = false;
            if (!self->mClosed) self->Deliver(*reply);
        });
    });
}

void WebSocketSession::Deliver(WebSocketResponseAdapter& response) {
    for (WebSocketFrame& frame : response.TakeFrames()) {
        Enqueue({frame.text, std::make_shared<const std::string>(std::move(frame.data))});
        if (mClosed) return;
    }
    if (response.CloseRequested()) {
        mCloseAfter = true;
        if (!mWriting) Close();
        return;
    }
    if (response.TimerArmed()) {
        mTimer.expires_after(std::chrono::milliseconds(response.TimerMsec()));
        mTimer.async_wait([self = Self()](error_code ec) {
            if (!ec && !self->mClosed) self->CallTimer();
        });
        return;
    }
    Read();
}

void WebSocketSession::QueueText(const std::shared_ptr<const std::string>& text) {
    Enqueue({true, text});
}

void WebSocketSession::Enqueue(OutFrame frame) {
    if (mClosed || mCloseAfter) return;
    const WebLimits& limits = mEngine.Limits();
    if (mOutBytes + frame.data->size() > limits.webSocketQueueBytes ||
        mOut.size() >= limits.webSocketQueueFrames) {
        // A client that does not keep up is dropped rather than buffered without end.
        Close();
        return;
    }
    mOutBytes += frame.data->size();
    mOut.push_back(std::move(frame));
    if (!mWriting) WriteNext();
}

void WebSocketSession::WriteNext() {
    if (!mOpen || mWriting || mClosed) return;
    if (mOut.empty()) {
        if (mCloseAfter) Close();
        return;
    }
    mWriting = true;
    const OutFrame& frame = mOut.front();
    mSocket.text(frame.text);
    mSocket.async_write(net::buffer(*frame.data), [self = Self()](error_code ec, size_t) {
        self->mWriting = false;
        if (self->mClosed) return;
        if (ec) {
            self->Close();
            return;
        }
        self->mOutBytes -= self->mOut.front().data->size();
        self->mOut.pop_front();
        self->WriteNext();
    });
}
