#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "ServerFixture.h"

namespace {

// Records how many handler calls overlap; each call lingers a little so that
// overlapping calls, were they possible, would be seen.
class OverlapHandler : public IWebRequestHandler {
  public:
    OverlapHandler(const std::string& path, std::atomic<int>& active, std::atomic<int>& most)
        : IWebRequestHandler(path, false), mActive(active), mMost(most) {}

    void HandleHttpRequest(IWebRequest&, IWebResponse& response) override {
        const int now = ++mActive;
        int seen = mMost.load();
        while (now > seen && !mMost.compare_exchange_weak(seen, now)) {
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        --mActive;
        response.Printf("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok");
    }

  private:
    std::atomic<int>& mActive;
    std::atomic<int>& mMost;
};

using Concurrency = ServerFixture;

TEST_F(Concurrency, KeepAliveClientsAreAllServedOneHandlerAtATime) {
    std::atomic<int> active{0}, most{0};
    server.AddHandler(std::make_shared<OverlapHandler>("/a", active, most));
    server.AddHandler(std::make_shared<OverlapHandler>("/b", active, most));
    Start();

    constexpr int kClients = 4;
    constexpr int kRequests = 25;
    std::atomic<int> answered[kClients] = {};
    std::vector<std::thread> clients;
    for (int c = 0; c < kClients; ++c) {
        clients.emplace_back([&, c] {
            TestConnection connection(port);
            for (int i = 0; i < kRequests; ++i) {
                HttpReply reply;
                if (!connection.Send(Get(c % 2 == 0 ? "/a" : "/b")) || !connection.Read(reply)) {
                    return;
                }
                if (reply.status == 200 && reply.body == "ok") ++answered[c];
            }
        });
    }
    for (auto& client : clients) client.join();
    for (int c = 0; c < kClients; ++c) EXPECT_EQ(answered[c], kRequests) << "client " << c;
    EXPECT_EQ(most, 1);
}

// A handler that streams on its timer must let other requests in between its
// frames. The stream ends only once another request has been served, or after
// a bounded number of frames.
class StreamHandler : public IWebRequestHandler {
  public:
    StreamHandler(const std::string& path, std::atomic<bool>& otherServed, int maxFrames)
        : IWebRequestHandler(path, false), mOtherServed(otherServed), mMaxFrames(maxFrames) {}

    void HandleHttpRequest(IWebRequest&, IWebResponse& response) override {
        mFrames = 0;
        response.Printf("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n");
        response.PrintfChunk("frame %d;", mFrames);
        response.SetTimer(5);
    }

    void HandleTimer(IWebResponse& response) override {
        ++mFrames;
        if (mOtherServed || mFrames >= mMaxFrames) {
            response.PrintfChunk("%s", mOtherServed ? "other served" : "gave up");
            response.SendChunk(nullptr, 0);
            response.CloseConnection();
            return;
        }
        response.PrintfChunk("frame %d;", mFrames);
        response.SetTimer(5);
    }

  private:
    std::atomic<bool>& mOtherServed;
    const int mMaxFrames;
    int mFrames = 0;
};

TEST_F(Concurrency, StreamsReleaseTheHandlerLockBetweenFrames) {
    std::atomic<bool> otherServed{false};
    server.AddHandler(std::make_shared<StreamHandler>("/stream", otherServed, 400));
    server.AddHandler(std::make_shared<EchoHandler>("/other", [&](IWebRequest&) {
        otherServed = true;
        return std::string("other");
    }));
    Start();

    TestConnection stream(port);
    ASSERT_TRUE(stream.Send(Get("/stream")));
    ASSERT_TRUE(stream.WaitFor("frame 1;"));
    EXPECT_EQ(Exchange(port, Get("/other")).body, "other");
    std::string data;
    ASSERT_TRUE(stream.ReadUntilClose(data));
    EXPECT_NE(data.find("other served"), std::string::npos);
    EXPECT_EQ(data.find("gave up"), std::string::npos);
}

TEST_F(Concurrency, StopEndsARunningStream) {
    std::atomic<bool> never{false};
    server.AddHandler(std::make_shared<StreamHandler>("/stream", never, 1000000));
    Start();
    TestConnection stream(port);
    ASSERT_TRUE(stream.Send(Get("/stream")));
    ASSERT_TRUE(stream.WaitFor("frame 1;"));
    const auto before = std::chrono::steady_clock::now();
    server.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(3));
    EXPECT_TRUE(stream.ClosedByPeer(2000));
}

}  // namespace
