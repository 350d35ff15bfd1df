#include "XWebServerData.h"

#include <arpa/inet.h>
#include <civetweb.h>
#include <netinet/in.h>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <ctime>
#include <mutex>
#include <thread>
#include <vector>

#include "CivetAdapters.h"

namespace {

// Workers that keep connections open; handlers still run one at a time.
constexpr const char* kWorkerThreads = "32";
// How long an idle keep-alive connection keeps its worker.
constexpr const char* kKeepAliveMsec = "2000";
// Largest request body taken; a larger one gets 413.
constexpr long long kMaxBodyBytes = 16LL * 1024 * 1024;

void InitEngineOnce() {
    static std::once_flag once;
    std::call_once(once, [] { mg_init_library(0); });
}

// The engine's accept loop notices a stop only between waits of about two
// seconds; a connection wakes it at once.
void WakeListener(uint16_t port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    close(fd);
}

bool IsWebSocketUpgrade(mg_connection* conn) {
    const char* upgrade = mg_get_header(conn, "Upgrade");
    return upgrade != nullptr && strcasecmp(upgrade, "websocket") == 0;
}

// Reads the whole body; false when it is larger than the limit.
bool ReadBody(mg_connection* conn, std::string& body) {
    char buffer[16384];
    for (;;) {
        const int got = mg_read(conn, buffer, sizeof(buffer));
        if (got <= 0) return true;
        if (static_cast<long long>(body.size()) + got > kMaxBodyBytes) return false;
        body.append(buffer, static_cast<size_t>(got));
    }
}

}  // namespace

bool XWebServerData::FindUser(const std::string& name, WebUser& user) const {
    std::lock_guard<std::recursive_mutex> guard(dataLock);
    auto it = users.find(name);
    if (it == users.end()) return false;
    user = it->second;
    return true;
}

bool XWebServerData::Start() {
    std::lock_guard<std::recursive_mutex> startStop(mStartStopLock);
    if (mRunning) return true;
    {
        std::lock_guard<std::recursive_mutex> guard(dataLock);
        mActiveDocumentRoot = documentRoot;
        mActiveHandlers = handlers;
        mActiveDomain = authDomain;
        mActiveMethod = authMethod;
    }
    mExitRequest.Reset();
    access.Clear();

    mListeningPort = port;
    const std::string portText = std::to_string(port);
    std::vector<const char*> options = {
        "listening_ports",       portText.c_str(),
        "num_threads",           kWorkerThreads,
        "enable_keep_alive",     "yes",
        "keep_alive_timeout_ms", kKeepAliveMsec,
        "tcp_nodelay",           "1",
    };
    if (!mActiveDocumentRoot.empty()) {
        options.insert(options.end(), {"document_root", mActiveDocumentRoot.c_str(),
                                       "enable_directory_listing", "no"});
    }
    options.push_back(nullptr);

    mg_callbacks callbacks;
    std::memset(&callbacks, 0, sizeof(callbacks));
    callbacks.begin_request = &XWebServerData::OnBeginRequest;
    callbacks.log_message = &XWebServerData::OnLogMessage;

    InitEngineOnce();
    mContext = mg_start(&callbacks, this, options.data());
    if (mContext != nullptr) {
        mg_set_websocket_handler(mContext, "/", &XWebServerData::OnWebSocketConnect, nullptr,
                                 &XWebServerData::OnWebSocketData, nullptr, this);
        mRunning = true;
    }
    return mRunning;
}

void XWebServerData::Stop() {
    std::lock_guard<std::recursive_mutex> startStop(mStartStopLock);
    if (!mRunning) return;
    mExitRequest.Signal();
    std::atomic<bool> stopped{false};
    const uint16_t listening = mListeningPort;
    std::thread waker([&stopped, listening] {
        while (!stopped) {
            WakeListener(listening);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });
    mg_stop(mContext);
    stopped = true;
    waker.join();
    mContext = nullptr;
    mRunning = false;
}

int XWebServerData::OnBeginRequest(mg_connection* conn) {
    auto* self = static_cast<XWebServerData*>(mg_get_request_info(conn)->user_data);
    return self->HandleRequest(conn);
}

int XWebServerData::OnLogMessage(const mg_connection*, const char*) {
    return 1;
}

int XWebServerData::OnWebSocketConnect(const mg_connection*, void*) {
    return 0;
}

int XWebServerData::OnWebSocketData(mg_connection* conn, int bits, char* payload, size_t length,
                                    void* data) {
    return static_cast<XWebServerData*>(data)->HandleWebSocketFrame(conn, bits, payload, length);
}

template <class Response>
void XWebServerData::RunTimers(const RequestHandlerData& entry, Response& response) {
    uint32_t msec = 0;
    while (!response.Closed() && response.TakeTimer(msec)) {
        if (mExitRequest.Wait(msec)) {
            response.CloseConnection();
            return;
        }
        {
            std::lock_guard<FifoLock> turn(mHandlerLock);
            entry.access->Touch();
            access.Touch();
            entry.handler->HandleTimer(response);
        }
        response.Flush();
    }
}

bool XWebServerData::Authorized(mg_connection* conn, const mg_request_info& info,
                                UserGroup needed) const {
    AuthorizationRequest credentials;
    const char* header = mg_get_header(conn, "Authorization");
    credentials.header = header != nullptr ? header : "";
    credentials.method = info.request_method != nullptr ? info.request_method : "";
    credentials.uri = info.request_uri != nullptr ? info.request_uri : "";
    credentials.query = info.query_string != nullptr ? info.query_string : "";
    const UserGroup level = CheckAuthorization(
        credentials, mActiveDomain,
        [this](const std::string& name, WebUser& user) { return FindUser(name, user); },
        std::time(nullptr));
    return static_cast<int>(level) >= static_cast<int>(needed);
}

int XWebServerData::HandleRequest(mg_connection* conn) {
    if (IsWebSocketUpgrade(conn)) return 0;
    const mg_request_info& info = *mg_get_request_info(conn);
    access.Touch();

    const std::string uri = StripTrailingSlashes(info.local_uri != nullptr ? info.local_uri : "");
    const RequestHandlerData* entry = mActiveHandlers.Find(uri);
    if (entry == nullptr) {
        if (!mActiveDocumentRoot.empty() && info.local_uri != nullptr) return 0;
        mg_send_http_error(conn, 404, "%s", "");
        return 404;
    }

    if (entry->group != UserGroup::Anyone && !Authorized(conn, info, entry->group)) {
        const std::string challenge =
            AuthenticationChallenge(mActiveMethod, mActiveDomain, std::time(nullptr));
        mg_write(conn, challenge.data(), challenge.size());
        return 401;
    }

    std::string body;
    if (info.content_length > kMaxBodyBytes || !ReadBody(conn, body)) {
        mg_send_http_error(conn, 413, "%s", "");
        return 413;
    }
    CivetRequest request(info, std::move(body));
    CivetResponse response(conn);
    {
        std::lock_guard<FifoLock> turn(mHandlerLock);
        // Stamped before the call, so the stamp is there once the client has its reply.
        entry->access->Touch();
        access.Touch();
        entry->handler->HandleHttpRequest(request, response);
    }
    response.Flush();
    RunTimers(*entry, response);
    if (!response.KeepAlive()) mg_disable_connection_keep_alive(conn);
    return response.Status() > 0 && response.Status() < 1000 ? response.Status() : 200;
}

int XWebServerData::HandleWebSocketFrame(mg_connection* conn, int bits, const char* payload,
                                         size_t length) {
    access.Touch();
    switch (bits & 0x0f) {
        case MG_WEBSOCKET_OPCODE_CONNECTION_CLOSE:
            return 0;
        case MG_WEBSOCKET_OPCODE_PING:
            mg_websocket_write(conn, MG_WEBSOCKET_OPCODE_PONG, payload, length);
            return 1;
        case MG_WEBSOCKET_OPCODE_PONG:
            return 1;
        default:
            break;
    }
    const RequestHandlerData* entry = mActiveHandlers.Find("/ws");
    if (entry == nullptr) return mActiveDocumentRoot.empty() ? 0 : 1;

    CivetWebSocketRequest request(std::string(payload, length));
    CivetWebSocketResponse response(conn);
    {
        std::lock_guard<FifoLock> turn(mHandlerLock);
        entry->access->Touch();
        access.Touch();
        entry->handler->HandleHttpRequest(request, response);
    }
    response.Flush();
    RunTimers(*entry, response);
    return response.Closed() ? 0 : 1;
}
