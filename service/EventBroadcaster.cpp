#include "EventBroadcaster.h"

#include <cstring>
#include <mutex>
#include <string>

#include "XWebServer.h"
#include "devsdk.h"

namespace {

// The SDK builds each event document in a buffer of this size.
constexpr size_t kEventDocumentBytes = 10240;

// The broadcaster events go to, and the lock that keeps it alive while an
// event is handed over. Events raised on different threads are queued in the
// order they take the lock.
std::mutex TargetLock;
EventBroadcaster* Target = nullptr;

}  // namespace

EventBroadcaster::EventBroadcaster(XWebServer& server) : mServer(server) {
    std::lock_guard<std::mutex> guard(TargetLock);
    Target = this;
}

EventBroadcaster::~EventBroadcaster() {
    std::lock_guard<std::mutex> guard(TargetLock);
    if (Target == this) Target = nullptr;
}

int EventBroadcaster::Install() {
    return add_event_listener(&EventBroadcaster::Listener);
}

int EventBroadcaster::Listener(char* eventJson) {
    if (eventJson == nullptr) return 0;
    // The SDK raises events in the middle of its own work: nothing thrown
    // here may unwind into it. A document that cannot be queued is dropped.
    try {
        const std::string document(eventJson, strnlen(eventJson, kEventDocumentBytes));
        std::lock_guard<std::mutex> guard(TargetLock);
        if (Target != nullptr) Target->mServer.SendWebSocketText(document);
    } catch (...) {
    }
    return 0;
}
