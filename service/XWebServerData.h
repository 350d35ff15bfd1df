// The private record of XWebServer: configuration, the copies the workers
// read while running, and the engine callbacks.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>

#include "AccessStamp.h"
#include "FifoLock.h"
#include "HandlerTables.h"
#include "WebAuthentication.h"
#include "XManualResetEvent.h"

struct mg_connection;
struct mg_context;
struct mg_request_info;

class XWebServerData {
  public:
    XWebServerData(const std::string& documentRoot, uint16_t port)
        : documentRoot(documentRoot), port(port) {}

    bool Start();
    void Stop();
    bool FindUser(const std::string& name, WebUser& user) const;

    mutable std::recursive_mutex dataLock;
    std::string documentRoot;
    std::string authDomain = "lumorax";
    Authentication authMethod = Authentication::Digest;
    uint16_t port;
    AccessStamp access;
    HandlerTables handlers;
    std::map<std::string, WebUser> users;

  private:
    static int OnBeginRequest(mg_connection* conn);
    static int OnLogMessage(const mg_connection* conn, const char* message);
    static int OnWebSocketConnect(const mg_connection* conn, void* data);
    static int OnWebSocketData(mg_connection* conn, int bits, char* payload, size_t length,
                               void* data);

    int HandleRequest(mg_connection* conn);
    // Whether the request's credentials grant at least the needed level.
    bool Authorized(mg_connection* conn, const mg_request_info& info, UserGroup needed) const;
    int HandleWebSocketFrame(mg_connection* conn, int bits, const char* payload, size_t length);
    // Runs a handler's timer calls for as long as it re-arms them, taking the
    // handler lock only for each call, so a stream lets other requests in.
    template <class Response>
    void RunTimers(const RequestHandlerData& entry, Response& response);

    std::recursive_mutex mStartStopLock;
    bool mRunning = false;
    mg_context* mContext = nullptr;
    uint16_t mListeningPort = 0;
    XManualResetEvent mExitRequest;
    // Every handler call holds it: handlers run one at a time, in arrival order.
    FifoLock mHandlerLock;

    // Copies taken at Start; the workers read only these.
    std::string mActiveDomain;
    std::string mActiveDocumentRoot;
    Authentication mActiveMethod = Authentication::Digest;
    HandlerTables mActiveHandlers;
};
