// The private record of XWebServer: the configuration, and the engine that
// runs on copies of it while the server is started.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "AccessStamp.h"
#include "HandlerTables.h"
#include "WebAuthentication.h"
#include "WebLimits.h"

class WebEngine;

class XWebServerData {
  public:
    XWebServerData(const std::string& root, uint16_t listenPort);
    ~XWebServerData();

    bool Start();
    void Stop();
    bool FindUser(const std::string& name, WebUser& user) const;
    void SendWebSocketText(std::string text);

    mutable std::recursive_mutex dataLock;
    std::string documentRoot;
    std::string authDomain = "lumorax";
    Authentication authMethod = Authentication::Digest;
    uint16_t port;
    WebLimits limits;
    AccessStamp access;
    HandlerTables handlers;
    std::map<std::string, WebUser> users;

  private:
    std::recursive_mutex mStartStopLock;
    // Guards the pointer, so frames may be queued from any thread.
    std::mutex mEngineLock;
    std::unique_ptr<WebEngine> mEngine;
};
