#include "XWebServer.h"

#include <fstream>
#include <mutex>

#include "UsersFile.h"
#include "WebAuthentication.h"
#include "XWebServerData.h"

using Guard = std::lock_guard<std::recursive_mutex>;

XWebServer::XWebServer(const std::string& documentRoot, uint16_t port)
    : mData(std::make_unique<XWebServerData>(documentRoot, port)) {}

XWebServer::~XWebServer() {
    Stop();
    ClearHandlers();
    ClearUsers();
}

std::string XWebServer::DocumentRoot() const {
    Guard guard(mData->dataLock);
    return mData->documentRoot;
}

XWebServer& XWebServer::SetDocumentRoot(const std::string& documentRoot) {
    Guard guard(mData->dataLock);
    mData->documentRoot = documentRoot;
    return *this;
}

std::string XWebServer::AuthDomain() const {
    Guard guard(mData->dataLock);
    return mData->authDomain;
}

XWebServer& XWebServer::SetAuthDomain(const std::string& authDomain) {
    Guard guard(mData->dataLock);
    mData->authDomain = authDomain;
    return *this;
}

Authentication XWebServer::AuthenticationMethod() const {
    Guard guard(mData->dataLock);
    return mData->authMethod;
}

XWebServer& XWebServer::SetAuthenticationMethod(Authentication authMethod) {
    Guard guard(mData->dataLock);
    mData->authMethod = authMethod;
    return *this;
}

uint16_t XWebServer::Port() const {
    Guard guard(mData->dataLock);
    return mData->port;
}

XWebServer& XWebServer::SetPort(uint16_t port) {
    Guard guard(mData->dataLock);
    mData->port = port;
    return *this;
}

WebLimits XWebServer::Limits() const {
    Guard guard(mData->dataLock);
    return mData->limits;
}

XWebServer& XWebServer::SetLimits(const WebLimits& limits) {
    Guard guard(mData->dataLock);
    mData->limits = limits;
    return *this;
}

std::string XWebServer::BindAddress() const {
    Guard guard(mData->dataLock);
    return mData->bindAddress;
}

XWebServer& XWebServer::SetBindAddress(const std::string& address) {
    Guard guard(mData->dataLock);
    mData->bindAddress = address;
    return *this;
}

RequestPolicy XWebServer::Policy() const {
    Guard guard(mData->dataLock);
    return mData->policy;
}

XWebServer& XWebServer::SetPolicy(const RequestPolicy& policy) {
    Guard guard(mData->dataLock);
    mData->policy = policy;
    return *this;
}

XWebServer& XWebServer::SetRequestMetrics(RequestMetrics* metrics) {
    Guard guard(mData->dataLock);
    mData->metrics = metrics;
    return *this;
}

XWebServer::TimePoint XWebServer::LastAccessTime(bool* accessed) {
    return mData->access.Get(accessed);
}

XWebServer::TimePoint XWebServer::LastAccessTime(const std::string& uri, bool* accessed) {
    Guard guard(mData->dataLock);
    const RequestHandlerData* entry = mData->handlers.Find(StripTrailingSlashes(uri));
    if (entry == nullptr) {
        if (accessed != nullptr) *accessed = false;
        return TimePoint();
    }
    return entry->access->Get(accessed);
}

XWebServer& XWebServer::AddHandler(const std::shared_ptr<IWebRequestHandler>& handler,
                                   UserGroup group) {
    Guard guard(mData->dataLock);
    mData->handlers.Add(handler, group);
    return *this;
}

void XWebServer::RemoveHandler(const std::shared_ptr<IWebRequestHandler>& handler) {
    Guard guard(mData->dataLock);
    mData->handlers.Remove(handler);
}

void XWebServer::ClearHandlers() {
    Guard guard(mData->dataLock);
    mData->handlers.Clear();
}

XWebServer& XWebServer::AddUser(const std::string& name, const std::string& digestHa1,
                                UserGroup group) {
    Guard guard(mData->dataLock);
    mData->users[name] = WebUser{digestHa1, group};
    return *this;
}

void XWebServer::RemoveUser(const std::string& name) {
    Guard guard(mData->dataLock);
    mData->users.erase(name);
}

void XWebServer::ClearUsers() {
    Guard guard(mData->dataLock);
    mData->users.clear();
}

int XWebServer::LoadUsersFromFile(const std::string& fileName) {
    std::ifstream file(fileName);
    if (!file) return 0;
    const std::string domain = AuthDomain();
    int added = 0;
    std::string line, name;
    while (std::getline(file, line)) {
        WebUser user;
        if (!ParseUsersLine(line, domain, name, user)) continue;
        AddUser(name, user.ha1, user.group);
        ++added;
    }
    return added;
}

bool XWebServer::Start() {
    return mData->Start();
}

void XWebServer::Stop() {
    mData->Stop();
}

void XWebServer::SendWebSocketText(const std::string& text) {
    mData->SendWebSocketText(text);
}

std::string XWebServer::CalculateDigestAuthHa1(const std::string& user, const std::string& realm,
                                               const std::string& password) {
    return Md5Hex(user + ":" + realm + ":" + password);
}
