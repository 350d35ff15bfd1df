#include "XWebServerData.h"

#include "WebEngine.h"

XWebServerData::XWebServerData(const std::string& root, uint16_t listenPort)
    : documentRoot(root), port(listenPort) {}

XWebServerData::~XWebServerData() {
    Stop();
}

bool XWebServerData::FindUser(const std::string& name, WebUser& user) const {
    std::lock_guard<std::recursive_mutex> guard(dataLock);
    auto it = users.find(name);
    if (it == users.end()) return false;
    user = it->second;
    return true;
}

bool XWebServerData::Start() {
    std::lock_guard<std::recursive_mutex> startStop(mStartStopLock);
    if (mEngine) return true;
    EngineConfig config;
    uint16_t listening = 0;
    {
        std::lock_guard<std::recursive_mutex> guard(dataLock);
        config.documentRoot = documentRoot;
        config.domain = authDomain;
        config.method = authMethod;
        config.handlers = handlers;
        config.limits = limits;
        listening = port;
    }
    config.users = [this](const std::string& name, WebUser& user) { return FindUser(name, user); };
    config.access = &access;
    access.Clear();
    auto engine = std::make_unique<WebEngine>(std::move(config));
    if (!engine->Start(listening)) return false;
    std::lock_guard<std::mutex> guard(mEngineLock);
    mEngine = std::move(engine);
    return true;
}

void XWebServerData::Stop() {
    std::lock_guard<std::recursive_mutex> startStop(mStartStopLock);
    std::unique_ptr<WebEngine> engine;
    {
        std::lock_guard<std::mutex> guard(mEngineLock);
        engine = std::move(mEngine);
    }
    if (engine) engine->Stop();
}

void XWebServerData::SendWebSocketText(std::string text) {
    std::lock_guard<std::mutex> guard(mEngineLock);
    if (mEngine) mEngine->SendWebSocketText(std::move(text));
}
