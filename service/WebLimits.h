// Limits the server enforces on every client, each with its default. They
// bound what one client, or many at once, can make the server hold or wait for.
#pragma once

#include <chrono>
#include <cstddef>

struct WebLimits {
    using Duration = std::chrono::milliseconds;

    // Request line and headers together.
    size_t headerBytes = 8 * 1024;
    // Body of a request to a handler; argument documents are a few hundred
    // bytes, nested test documents a few hundred kilobytes.
    size_t bodyBytes = 1024 * 1024;
    // Bodies of all connections held at once; a request that would exceed it gets 503.
    size_t bodyBudgetBytes = 32 * 1024 * 1024;
    // From the first byte of a request to the end of its headers.
    Duration headerTime = std::chrono::seconds(10);
    // From the end of the headers to the end of the body.
    Duration bodyTime = std::chrono::seconds(10);
    // A connection that carries no request, before its first byte arrives.
    Duration idleTime = std::chrono::seconds(5);
    // One write of a reply; a client that does not read is dropped.
    Duration writeTime = std::chrono::seconds(30);
    // Open connections, WebSocket clients included; at the limit the
    // connection idle the longest is closed to make room.
    size_t connections = 1024;
    // Bytes queued for one WebSocket client; a client over it is dropped.
    size_t webSocketQueueBytes = 1024 * 1024;
    // Frames queued for one WebSocket client; a client over it is dropped.
    size_t webSocketQueueFrames = 1000;
    // Kernel send buffer of a WebSocket client: fixed, so that a client that
    // does not read meets the queue bounds soon and holds little kernel memory.
    int webSocketSendBufferBytes = 64 * 1024;
    // A WebSocket client that answers no ping within this time is dropped.
    Duration webSocketIdleTime = std::chrono::seconds(60);
};
