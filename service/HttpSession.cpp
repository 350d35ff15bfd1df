#include "HttpSession.h"

#include <boost/asio/post.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/core/string.hpp>
#include <boost/beast/http/error.hpp>
#include <boost/beast/http/read.hpp>
#include <boost/beast/websocket/rfc6455.hpp>
#include <ctime>

#include "ErrorReply.h"
#include "IDeviceRequestHandler.h"
#include "RequestMetrics.h"
#include "WebSocketSession.h"

namespace net = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = net::ip::tcp;
using error_code = boost::system::error_code;

namespace {

// Room for one read beyond the header limit in the connection's buffer.
constexpr size_t kReadRoom = 16 * 1024;
// First read of a request on an empty buffer.
constexpr size_t kFirstRead = 1024;
// Buffer an idle connection may keep between requests.
constexpr size_t kKeptBuffer = 4096;
// Size of the pieces a file is sent in.
constexpr size_t kFileChunk = 64 * 1024;
// After a refusal: how long and how much the client's rest is read and dropped.
constexpr auto kLingerTime = std::chrono::seconds(1);
constexpr size_t kLingerBytes = 256 * 1024;
// Headers a request adapter hands out; later ones are dropped.
constexpr size_t kMaxRequestHeaders = 40;

const std::string kContinue = "HTTP/1.1 100 Continue\r\n\r\n";

bool IsParseError(const error_code& ec) {
    return ec.category() == http::make_error_code(http::error::bad_method).category() &&
           ec != http::error::partial_message && ec != http::error::end_of_stream;
}

class BeastHeaders : public HeaderSource {
  public:
    explicit BeastHeaders(http::fields fields) : mFields(std::move(fields)) {}
    std::map<std::string, std::string> Headers() const override {
        std::map<std::string, std::string> headers;
        for (const auto& field : mFields) {
            if (headers.size() >= kMaxRequestHeaders) break;
            headers.emplace(std::string(field.name_string()), std::string(field.value()));
        }
        return headers;
    }

  private:
    http::fields mFields;
};

HttpRequestParts PartsOf(http::request<http::string_body>& request, const RequestTarget& target) {
    HttpRequestParts parts;
    parts.uri = target.path;
    parts.method = std::string(request.method_string());
    parts.proto = request.version() == 10 ? "HTTP/1.0" : "HTTP/1.1";
    parts.query = target.query;
    parts.body = std::move(request.body());
    parts.headers = std::make_unique<BeastHeaders>(std::move(request.base()));
    return parts;
}

bool Authorized(const EngineConfig& config, const http::request<http::string_body>& request,
                const RequestTarget& target, UserGroup needed) {
    AuthorizationRequest credentials;
    const auto header = request.find(http::field::authorization);
    if (header != request.end()) credentials.header = std::string(header->value());
    credentials.method = std::string(request.method_string());
    credentials.uri = target.rawPath;
    credentials.query = target.query;
    const UserGroup level =
        CheckAuthorization(credentials, config.domain, config.users, std::time(nullptr));
    return static_cast<int>(level) >= static_cast<int>(needed);
}

}  // namespace

HttpSession::HttpSession(WebEngine& engine, tcp::socket socket)
    : mEngine(engine),
      mStream(std::move(socket)),
      mBuffer(engine.Limits().headerBytes + kReadRoom),
      mTimer(engine.Io()) {}

HttpSession::~HttpSession() {
    if (!mClosed) mEngine.Forget(this);
    mEngine.ReleaseBody(mReservedBody);
}

void HttpSession::Start() {
    mEngine.Track(this);
    error_code ec;
    mStream.socket().set_option(tcp::no_delay(true), ec);
    WaitForRequest();
}

void HttpSession::Close() {
    if (mClosed) return;
    mClosed = true;
    mEngine.Forget(this);
    mEngine.ReleaseBody(mReservedBody);
    mReservedBody = 0;
    mTimer.cancel();
    mFile.Close();
    error_code ec;
    mStream.socket().close(ec);
}

void HttpSession::WaitForRequest() {
    mEngine.MarkIdle(this);
    if (mBuffer.size() > 0) {
        ReadHeader();
        return;
    }
    // An idle connection keeps no more than a small buffer.
    if (mBuffer.capacity() > kKeptBuffer) mBuffer.shrink_to_fit();
    mStream.expires_after(mEngine.Limits().idleTime);
    mStream.async_read_some(mBuffer.prepare(kFirstRead),
                            [self = Self()](error_code ec, size_t got) {
                                if (self->mClosed) return;
                                if (ec) {
                                    self->Close();
                                    return;
                                }
                                self->mBuffer.commit(got);
                                self->ReadHeader();
                            });
}

void HttpSession::ReadHeader() {
    mParser.emplace();
    mParser->header_limit(static_cast<uint32_t>(mEngine.Limits().headerBytes));
    mParser->body_limit(mEngine.Limits().bodyBytes);
    // A request usually arrives whole in one read: what is buffered is parsed
    // at once, without another round through the event loop.
    error_code ec;
    if (!ParseBuffered(ec)) {
        OnHeader(ec);
        return;
    }
    if (mParser->is_header_done()) {
        OnHeader({});
        return;
    }
    mStream.expires_after(mEngine.Limits().headerTime);
    http::async_read_header(
        mStream, mBuffer, *mParser,
        [self = Self()](error_code readError, size_t) { self->OnHeader(readError); });
}

void HttpSession::OnHeader(error_code ec) {
    if (mClosed) return;
    if (ec == http::error::header_limit || ec == http::error::buffer_overflow) {
        Refuse(431);
        return;
    }
    if (ec == http::error::body_limit) {
        Refuse(413);
        return;
    }
    if (ec) {
        if (IsParseError(ec)) {
            Refuse(400);
        } else {
            Close();
        }
        return;
    }
    auto& request = mParser->get();
    if (!Admitted(request)) {
        Refuse(403);
        return;
    }
    if (beast::websocket::is_upgrade(request)) {
        if (!WebSocketAllowed()) return;
        UpgradeToWebSocket();
        return;
    }
    size_t body = 0;
    if (const auto length = mParser->content_length()) {
        if (*length > mEngine.Limits().bodyBytes) {
            Refuse(413);
            return;
        }
        body = static_cast<size_t>(*length);
    } else if (mParser->chunked()) {
        body = mEngine.Limits().bodyBytes;
    }
    if (body > 0) {
        if (!mEngine.ReserveBody(body)) {
            Refuse(503);
            return;
        }
        mReservedBody = body;
        const auto expect = request.find(http::field::expect);
        if (expect != request.end() && beast::iequals(expect->value(), "100-continue")) {
            mStream.expires_after(mEngine.Limits().writeTime);
            net::async_write(mStream, net::buffer(kContinue),
                             [self = Self()](error_code writeError, size_t) {
                                 if (self->mClosed) return;
                                 if (writeError) {
                                     self->Close();
                                     return;
                                 }
                                 self->ReadBody();
                             });
            return;
        }
    }
    ReadBody();
}

bool HttpSession::ParseBuffered(error_code& ec) {
    const bool header = !mParser->is_header_done();
    while (mBuffer.size() > 0 && (header ? !mParser->is_header_done() : !mParser->is_done())) {
        const size_t used = mParser->put(mBuffer.data(), ec);
        mBuffer.consume(used);
        if (ec == http::error::need_more) {
            ec = {};
            return true;
        }
        if (ec) return false;
        if (used == 0) return true;
    }
    return true;
}

void HttpSession::ReadBody() {
    error_code ec;
    if (!ParseBuffered(ec)) {
        OnBody(ec);
        return;
    }
    if (mParser->is_done()) {
        Dispatch();
        return;
    }
    mStream.expires_after(mEngine.Limits().bodyTime);
    http::async_read(mStream, mBuffer, *mParser,
                     [self = Self()](error_code readError, size_t) { self->OnBody(readError); });
}

void HttpSession::OnBody(error_code ec) {
    if (mClosed) return;
    if (ec == http::error::body_limit) {
        Refuse(413);
    } else if (ec && IsParseError(ec)) {
        Refuse(400);
    } else if (ec) {
        // Ended early or too slow: the request is incomplete and goes nowhere.
        Close();
    } else {
        Dispatch();
    }
}

void HttpSession::Dispatch() {
    mEngine.MarkBusy(this);
    mStream.expires_never();
    auto& request = mParser->get();
    mRequestKeepsAlive = request.keep_alive();
    RequestTarget target;
    if (!ParseRequestTarget(std::string(request.target()), target)) {
        Refuse(400);
        return;
    }
    const EngineConfig& config = mEngine.Config();
    config.access->Touch();
    mEntry = config.handlers.Find(StripTrailingSlashes(target.path));
    if (mEntry == nullptr) {
        if (!config.documentRoot.empty()) {
            ServeFile(target, request.method() == http::verb::head);
        } else {
            mCloseAfter = !mRequestKeepsAlive;
            Count(RequestMetrics::kNoRoute, 404);
            Write(ErrorReply(404, "", mCloseAfter));
            Finish();
        }
        return;
    }
    if (mEntry->group != UserGroup::Anyone && !Authorized(config, request, target, mEntry->group)) {
        mCloseAfter = !mRequestKeepsAlive;
        Count(mEntry->handler->Uri(), 401);
        Write(AuthenticationChallenge(config.method, config.domain, std::time(nullptr)));
        Finish();
        return;
    }
    CallHandler(std::make_shared<HttpRequestAdapter>(PartsOf(request, target)));
}

void HttpSession::ServeFile(const RequestTarget& target, bool headOnly) {
    const auto method = mParser->get().method();
    mCloseAfter = !mRequestKeepsAlive;
    if (method != http::verb::get && method != http::verb::head) {
        Count(RequestMetrics::kFiles, 405);
        Write(ErrorReply(405, "", mCloseAfter));
        Finish();
        return;
    }
    const int status = mFile.Open(mEngine.Config().documentRoot, target.path);
    Count(RequestMetrics::kFiles, status);
    if (status != 200) {
        Write(ErrorReply(status, "", mCloseAfter));
        Finish();
        return;
    }
    Write("HTTP/1.1 200 OK\r\nContent-Type: " + std::string(mFile.ContentType()) +
          "\r\nContent-Length: " + std::to_string(mFile.Size()) + "\r\n" +
          (mCloseAfter ? "Connection: close\r\n" : "") + "\r\n");
    mFileActive = !headOnly;
    if (headOnly) mFile.Close();
    Finish();
}

bool HttpSession::WebSocketAllowed() {
    // Frames carry no credentials, so the handler's level is asked of the upgrade.
    const EngineConfig& config = mEngine.Config();
    const RequestHandlerData* entry = config.handlers.Find("/ws");
    if (entry == nullptr || entry->group == UserGroup::Anyone) return true;
    const auto& request = mParser->get();
    RequestTarget target;
    if (!ParseRequestTarget(std::string(request.target()), target)) {
        Refuse(400);
        return false;
    }
    if (Authorized(config, request, target, entry->group)) return true;
    mEngine.MarkBusy(this);
    mCloseAfter = true;
    Write(AuthenticationChallenge(config.method, config.domain, std::time(nullptr)));
    Finish();
    return false;
}

void HttpSession::UpgradeToWebSocket() {
    mEngine.MarkBusy(this);
    mStream.expires_never();
    auto request = mParser->release();
    mParser.reset();
    // The WebSocket session takes the connection over; this one ends quietly.
    mClosed = true;
    mEngine.Forget(this);
    std::make_shared<WebSocketSession>(mEngine, std::move(mStream))->Start(std::move(request));
}

void HttpSession::CallHandler(std::shared_ptr<HttpRequestAdapter> request) {
    const RequestHandlerData* entry = mEntry;
    AccessStamp* access = mEngine.Config().access;
    auto* device = dynamic_cast<IDeviceRequestHandler*>(entry->handler.get());
    mHandlerRunning = true;
    mHeadSeen = false;
    // Stamped before the call, so the stamp is there once the client has its reply.
    entry->access->Touch();
    access->Touch();
    HttpResponseAdapter response(mOutBytes);
    if (device == nullptr || device->AnswerWithoutDevice(*request, response)) {
        mOnDevice = false;
        if (device == nullptr) entry->handler->HandleHttpRequest(*request, response);
        mHandlerRunning = false;
        Deliver(response);
        return;
    }
    mOnDevice = true;
    mEngine.DeviceWorker().Post([self = Self(), request, entry, access]() mutable {
        auto reply = std::make_shared<HttpResponseAdapter>(0);
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

void HttpSession::CallTimer() {
    const RequestHandlerData* entry = mEntry;
    AccessStamp* access = mEngine.Config().access;
    mHandlerRunning = true;
    if (!mOnDevice) {
        HttpResponseAdapter response(mOutBytes);
        entry->access->Touch();
        access->Touch();
        entry->handler->HandleTimer(response);
        mHandlerRunning = false;
        Deliver(response);
        return;
    }
    mEngine.DeviceWorker().Post([self = Self(), entry, access, backlog = mOutBytes]() mutable {
        auto reply = std::make_shared<HttpResponseAdapter>(backlog);
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

void HttpSession::Deliver(HttpResponseAdapter& response) {
    std::string out = response.TakeOutput();
    if (!mHeadSeen) {
        mHeadSeen = true;
        mReplyKeepsAlive = response.KeepAlive();
        Count(mEntry->handler->Uri(), response.Status());
        if (!mEngine.Config().policy.allowedOrigins.empty()) RewriteAllowOrigin(out, mOrigin);
    }
    if (!out.empty()) Write(std::move(out));
    if (!response.CloseRequested() && response.TimerArmed()) {
        mStreaming = true;
        mTimer.expires_after(std::chrono::milliseconds(response.TimerMsec()));
        mTimer.async_wait([self = Self()](error_code ec) {
            if (!ec && !self->mClosed) self->CallTimer();
        });
        return;
    }
    mStreaming = false;
    mCloseAfter = response.CloseRequested() || !mReplyKeepsAlive || !mRequestKeepsAlive;
    Finish();
}

void HttpSession::Finish() {
    mReplyDone = true;
    if (!mWriting) Drained();
}

bool HttpSession::Admitted(const http::request<http::string_body>& request) {
    const RequestPolicy& policy = mEngine.Config().policy;
    if (!policy.loopbackHostsOnly && policy.allowedOrigins.empty()) return true;
    const auto text = [&request](http::field field) {
        const auto found = request.find(field);
        if (found == request.end()) return std::string_view();
        return std::string_view(found->value().data(), found->value().size());
    };
    const std::string_view origin = text(http::field::origin);
    mOrigin.assign(origin.data(), origin.size());
    return Admits(policy, text(http::field::host), origin);
}

void HttpSession::Count(const std::string& route, int status) {
    if (RequestMetrics* metrics = mEngine.Config().metrics) metrics->CountRequest(route, status);
}

void HttpSession::Refuse(int status) {
    Count(mEntry != nullptr ? mEntry->handler->Uri() : RequestMetrics::kNoRoute, status);
    mEngine.MarkBusy(this);
    mCloseAfter = true;
    Write(ErrorReply(status, "", true));
    Finish();
}

void HttpSession::Write(std::string bytes) {
    if (bytes.empty()) return;
    mOutBytes += bytes.size();
    mOut.push_back(std::move(bytes));
    if (!mWriting) WriteNext();
}

void HttpSession::WriteNext() {
    if (mOut.empty()) {
        mWriting = false;
        Drained();
        return;
    }
    mWriting = true;
    mStream.expires_after(mEngine.Limits().writeTime);
    net::async_write(mStream, net::buffer(mOut.front()), [self = Self()](error_code ec, size_t) {
        if (self->mClosed) return;
        if (ec) {
            self->Close();
            return;
        }
        self->mOutBytes -= self->mOut.front().size();
        self->mOut.pop_front();
        self->WriteNext();
    });
}

void HttpSession::Drained() {
    if (mClosed || mStreaming || mHandlerRunning) return;
    if (mFileActive) {
        std::string chunk = mFile.ReadChunk(kFileChunk);
        if (!chunk.empty()) {
            Write(std::move(chunk));
            return;
        }
        mFileActive = false;
        // A file cut short leaves the client waiting for the promised length.
        if (mFile.Failed()) mCloseAfter = true;
        mFile.Close();
    }
    if (!mReplyDone) return;
    if (mCloseAfter) {
        LingeringClose();
    } else {
        EndRequest();
    }
}

void HttpSession::EndRequest() {
    mEngine.ReleaseBody(mReservedBody);
    mReservedBody = 0;
    mParser.reset();
    mEntry = nullptr;
    mReplyDone = false;
    mCloseAfter = false;
    mStreaming = false;
    WaitForRequest();
}

void HttpSession::LingeringClose() {
    mEngine.ReleaseBody(mReservedBody);
    mReservedBody = 0;
    mParser.reset();
    mEngine.MarkIdle(this);
    error_code ec;
    mStream.socket().shutdown(tcp::socket::shutdown_send, ec);
    mStream.expires_after(kLingerTime);
    DrainLinger();
}

void HttpSession::DrainLinger() {
    mBuffer.clear();
    mStream.async_read_some(mBuffer.prepare(kFirstRead),
                            [self = Self()](error_code ec, size_t got) {
                                if (self->mClosed) return;
                                self->mLingered += got;
                                if (ec || self->mLingered > kLingerBytes) {
                                    self->Close();
                                    return;
                                }
                                self->DrainLinger();
                            });
}
