// Forwards the SDK's device events to every WebSocket client of the server.
// The SDK calls its listener on whichever thread raised the event; the
// listener only queues the document for the server's network thread.
#pragma once

class XWebServer;

class EventBroadcaster {
  public:
    // The server must outlive the broadcaster.
    explicit EventBroadcaster(XWebServer& server);
    // Events raised after this are dropped.
    ~EventBroadcaster();
    EventBroadcaster(const EventBroadcaster&) = delete;
    EventBroadcaster& operator=(const EventBroadcaster&) = delete;

    // Sets Listener as the SDK's event listener; the SDK's result code.
    int Install();

    // The SDK listener: one event document, NUL-terminated, at most the
    // SDK's event buffer long. The SDK's listener is a plain function, so
    // the broadcaster it reaches is the one constructed last.
    static int Listener(char* eventJson);

  private:
    XWebServer& mServer;
};
