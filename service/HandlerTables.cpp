#include "HandlerTables.h"

void HandlerTables::Add(const std::shared_ptr<IWebRequestHandler>& handler, UserGroup group) {
    if (!handler) return;
    RequestHandlerData data;
    data.handler = handler;
    data.group = group;
    if (handler->CanHandleSubContent()) {
        mSubContent.push_back(std::move(data));
    } else {
        mExact.emplace(handler->Uri(), std::move(data));
    }
}

void HandlerTables::Remove(const std::shared_ptr<IWebRequestHandler>& handler) {
    if (!handler) return;
    mExact.erase(handler->Uri());
    for (auto it = mSubContent.begin(); it != mSubContent.end(); ++it) {
        if (it->handler == handler) {
            mSubContent.erase(it);
            break;
        }
    }
}

void HandlerTables::Clear() {
    mExact.clear();
    mSubContent.clear();
}

const RequestHandlerData* HandlerTables::Find(const std::string& uri) const {
    auto exact = mExact.find(uri);
    if (exact != mExact.end()) return &exact->second;
    for (const auto& data : mSubContent) {
        if (uri.compare(0, data.handler->Uri().size(), data.handler->Uri()) == 0) return &data;
    }
    return nullptr;
}
