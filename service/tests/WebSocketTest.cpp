#include <gtest/gtest.h>

#include <thread>

#include "EventBroadcaster.h"
#include "ServerFixture.h"

namespace {

std::string Upgrade(const std::string& uri) {
    return "GET " + uri +
           " HTTP/1.1\r\nHost: localhost\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
           "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n\r\n";
}

// A masked client text frame of a short payload.
std::string TextFrame(const std::string& payload) {
    const unsigned char mask[4] = {0x12, 0x34, 0x56, 0x78};
    std::string frame;
    frame.push_back(static_cast<char>(0x81));
    frame.push_back(static_cast<char>(0x80 | payload.size()));
    frame.append(reinterpret_cast<const char*>(mask), 4);
    for (size_t i = 0; i < payload.size(); ++i) frame.push_back(payload[i] ^ mask[i % 4]);
    return frame;
}

// Answers each frame with "echo:" and its payload, as an unformatted text frame.
class EchoSocket : public IWebRequestHandler {
  public:
    EchoSocket() : IWebRequestHandler("/ws", false) {}
    void HandleHttpRequest(IWebRequest& request, IWebResponse& response) override {
        const std::string reply = "echo:" + request.Body() + request.Uri();
// A WebSocket response sends Printf's text as it is, without formatting it.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-security"
        response.Printf(reply.c_str());
#pragma GCC diagnostic pop
    }
};

using WebSocket = ServerFixture;

TEST_F(WebSocket, FramesOnAnyUriReachTheWsHandler) {
    server.AddHandler(std::make_shared<EchoSocket>());
    Start();
    for (const char* uri : {"/ws", "/elsewhere"}) {
        TestConnection connection(port);
        ASSERT_TRUE(connection.Send(Upgrade(uri)));
        ASSERT_TRUE(connection.WaitFor("\r\n\r\n"));
        ASSERT_TRUE(connection.Send(TextFrame("100%s")));
        // Server frames are unmasked: 0x81, length, payload.
        const std::string expected = std::string("\x81\x0a", 2) + "echo:100%s";
        EXPECT_TRUE(connection.WaitFor(expected)) << uri;
    }
}

TEST_F(WebSocket, WithoutWsHandlerFramesCloseTheConnection) {
    Start();
    TestConnection connection(port);
    ASSERT_TRUE(connection.Send(Upgrade("/ws")));
    ASSERT_TRUE(connection.WaitFor("\r\n\r\n"));
    ASSERT_TRUE(connection.Send(TextFrame("hello")));
    EXPECT_TRUE(connection.ClosedByPeer(3000));
}

TEST_F(WebSocket, TextFromAnyThreadReachesEveryClient) {
    Start();
    TestConnection first(port), second(port);
    for (TestConnection* connection : {&first, &second}) {
        ASSERT_TRUE(connection->Send(Upgrade("/ws")));
        ASSERT_TRUE(connection->WaitFor("\r\n\r\n"));
    }
    std::thread([&] { server.SendWebSocketText("event one"); }).join();
    const std::string expected = std::string("\x81\x09", 2) + "event one";
    EXPECT_TRUE(first.WaitFor(expected));
    EXPECT_TRUE(second.WaitFor(expected));
}

TEST_F(WebSocket, AClientThatDoesNotReadIsDropped) {
    WebLimits limits;
    limits.webSocketQueueBytes = 64 * 1024;
    server.SetLimits(limits);
    Start();
    TestConnection stuck(port);
    ASSERT_TRUE(stuck.Send(Upgrade("/ws")));
    ASSERT_TRUE(stuck.WaitFor("\r\n\r\n"));
    const std::string frame(16 * 1024, 'e');
    // Far more than the socket buffers and the queue together hold.
    for (int i = 0; i < 1500; ++i) server.SendWebSocketText(frame);
    EXPECT_TRUE(stuck.ClosedByPeer(5000));
}

TEST_F(WebSocket, AClientOverTheFrameBoundIsDropped) {
    WebLimits limits;
    limits.webSocketQueueFrames = 10;
    server.SetLimits(limits);
    Start();
    TestConnection stuck(port);
    ASSERT_TRUE(stuck.Send(Upgrade("/ws")));
    ASSERT_TRUE(stuck.WaitFor("\r\n\r\n"));
    // Small frames: far below the byte bound, far past the frame bound and
    // the kernel buffers together.
    const std::string frame(100, 'e');
    for (int i = 0; i < 6000; ++i) server.SendWebSocketText(frame);
    EXPECT_TRUE(stuck.ClosedByPeer(5000));
}

TEST_F(WebSocket, TheUpgradeNeedsTheLevelOfTheWsHandler) {
    server.AddHandler(std::make_shared<EchoSocket>(), UserGroup::User);
    server.AddUser("alice", XWebServer::CalculateDigestAuthHa1("alice", "lumorax", "secret"),
                   UserGroup::User);
    server.SetAuthenticationMethod(Authentication::Basic);
    Start();
    TestConnection anonymous(port);
    ASSERT_TRUE(anonymous.Send(Upgrade("/ws")));
    EXPECT_TRUE(anonymous.WaitFor("HTTP/1.1 401 Unauthorized\r\n"));
    TestConnection alice(port);
    std::string upgrade = Upgrade("/ws");
    // "alice:secret" in Base64.
    upgrade.insert(upgrade.size() - 2, "Authorization: Basic YWxpY2U6c2VjcmV0\r\n");
    ASSERT_TRUE(alice.Send(upgrade));
    ASSERT_TRUE(alice.WaitFor("HTTP/1.1 101"));
    ASSERT_TRUE(alice.WaitFor("\r\n\r\n"));
    ASSERT_TRUE(alice.Send(TextFrame("hi")));
    EXPECT_TRUE(alice.WaitFor(std::string("\x81\x07", 2) + "echo:hi"));
}

TEST_F(WebSocket, DeviceEventsReachClientsWhileABroadcasterLives) {
    Start();
    TestConnection client(port);
    ASSERT_TRUE(client.Send(Upgrade("/ws")));
    ASSERT_TRUE(client.WaitFor("\r\n\r\n"));
    char first[] = "first";
    char second[] = "second";
    {
        EventBroadcaster events(server);
        // Raised on another thread, as the transfer-module reset does.
        std::thread([&] { EventBroadcaster::Listener(first); }).join();
        EXPECT_TRUE(client.WaitFor(std::string("\x81\x05", 2) + "first"));
    }
    EXPECT_EQ(EventBroadcaster::Listener(second), 0);
    EXPECT_EQ(EventBroadcaster::Listener(nullptr), 0);
    server.SendWebSocketText("third");
    // Nothing came between: the events after the broadcaster went were dropped.
    EXPECT_TRUE(client.WaitFor(std::string("\x81\x05", 2) + "first" + std::string("\x81\x05", 2) +
                               "third"));
}

}  // namespace
